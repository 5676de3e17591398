// Writes a hive as a registry export file.
#include "platform/registry/reg_export.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace zelkora::platform::registry {

namespace {

struct Root {
    uint32_t handle;
    std::string_view name;
};

constexpr std::array<Root, 6> kRoots{{{kHKeyClassesRoot, "HKEY_CLASSES_ROOT"},
                                      {kHKeyCurrentUser, "HKEY_CURRENT_USER"},
                                      {kHKeyLocalMachine, "HKEY_LOCAL_MACHINE"},
                                      {kHKeyUsers, "HKEY_USERS"},
                                      {kHKeyCurrentConfig, "HKEY_CURRENT_CONFIG"},
                                      {kHKeyDynData, "HKEY_DYN_DATA"}}};

// A quoted name or text: '\' and '"' are the only escapes the reader knows.
std::string quotedText(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}

bool fitsOnOneLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// A string value written as text reads back as the text and one NUL.
bool isPlainString(const Value& value) {
    if (value.type != kRegSz || value.data.empty() || value.data.back() != 0) return false;
    const std::string_view text(reinterpret_cast<const char*>(value.data.data()),
                                value.data.size() - 1);
    return fitsOnOneLine(text);
}

void writeBytes(std::string& out, size_t lineStart, const std::vector<uint8_t>& data) {
    char byte[4];
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            out += ',';
            if (out.size() - lineStart > 74) {
                out += "\\\n  ";
                lineStart = out.size() - 2;
            }
        }
        std::snprintf(byte, sizeof byte, "%02x", data[i]);
        out += byte;
    }
}

void writeValue(std::string& out, const Value& value) {
    const size_t lineStart = out.size();
    out += value.name.empty() ? std::string("@") : quotedText(value.name);
    out += '=';
    if (isPlainString(value)) {
        out += quotedText(std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                           value.data.size() - 1));
    } else if (value.type == kRegDword && value.data.size() == 4) {
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x",
                      unsigned{value.data[0]} | unsigned{value.data[1]} << 8 |
                          unsigned{value.data[2]} << 16 | unsigned{value.data[3]} << 24);
        out += text;
    } else {
        char type[24] = "hex:";
        if (value.type != kRegBinary) std::snprintf(type, sizeof type, "hex(%x):", value.type);
        out += type;
        writeBytes(out, lineStart, value.data);
    }
    out += '\n';
}

void writeKey(std::string& out, const Key& key, const std::string& path) {
    // A root key is written only for values of its own; every other key is
    // written so that empty keys come back too.
    if (key.depth() > 0 || key.valueCount() > 0) {
        out += "\n[" + path + "]\n";
        for (const auto& [name, value] : key.values()) {
            if (fitsOnOneLine(value.name)) writeValue(out, value);
        }
    }
    for (size_t i = 0; i < key.subKeyCount(); ++i) {
        const auto sub = key.subKeyAt(i);
        writeKey(out, *sub, path + "\\" + sub->name());
    }
}

}  // namespace

std::string exportRegText(const Hive& hive) {
    std::string out = "REGEDIT4\n";
    for (const Root& root : kRoots) {
        if (const auto key = hive.root(root.handle)) writeKey(out, *key, std::string(root.name));
    }
    return out;
}

}  // namespace zelkora::platform::registry
