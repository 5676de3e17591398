// Reading the register description file: every entry is checked, and a
// fault names the file, the entry and the problem.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <initializer_list>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "common/data_file.h"
#include "registers/register_book.h"

namespace zelkora::registers {

namespace {

using Json = nlohmann::json;

// The files are a few tens of kilobytes; anything far larger is no register file.
constexpr std::uintmax_t kMaxFileBytes = 4u << 20;

// A value in the file with its path for messages: pci.type0[3](BAR2).fields[1].bits.
class Entry {
  public:
    Entry(const std::string& file, const Json& value, std::string path)
        : file_(&file), value_(&value), path_(std::move(path)) {}

    [[noreturn]] void fail(std::string_view problem) const {
        throw RegisterFileError(*file_ + ": " + (path_.empty() ? "(top level)" : path_) + ": " +
                                std::string(problem));
    }

    bool has(const char* key) const { return value_->contains(key); }
    Entry operator[](const char* key) const {
        if (!value_->contains(key)) fail(std::string("\"") + key + "\" is missing");
        return {*file_, value_->at(key), path_.empty() ? key : path_ + "." + key};
    }
    std::vector<Entry> items() const {
        if (!value_->is_array()) fail("is not a list");
        std::vector<Entry> items;
        for (std::size_t i = 0; i < value_->size(); ++i) {
            const Json& item = (*value_)[i];
            std::string path = path_;
            path.append("[").append(std::to_string(i)).append("]");
            if (item.is_object() && item.contains("name") && item["name"].is_string())
                path.append("(").append(item["name"].get_ref<const std::string&>()).append(")");
            items.emplace_back(*file_, item, std::move(path));
        }
        return items;
    }
    void expectKeys(std::initializer_list<std::string_view> known) const {
        if (!value_->is_object()) fail("is not an object");
        for (const auto& [key, value] : value_->items()) {
            if (std::find(known.begin(), known.end(), key) == known.end())
                fail("\"" + key + "\" is not a known field");
        }
    }

    std::string string() const {
        if (!value_->is_string() || value_->get_ref<const std::string&>().empty())
            fail("is not a non-empty text");
        return value_->get<std::string>();
    }
    bool boolean() const {
        if (!value_->is_boolean()) fail("is not true or false");
        return value_->get<bool>();
    }
    uint64_t number(uint64_t maximum) const {
        uint64_t result = 0;
        if (value_->is_number_unsigned()) {
            result = value_->get<uint64_t>();
        } else if (value_->is_string()) {
            const auto parsed = parseNumber(value_->get_ref<const std::string&>());
            if (!parsed) fail("\"" + value_->get<std::string>() + "\" is not a number");
            result = *parsed;
        } else {
            fail("is not a number");
        }
        if (result > maximum)
            fail(std::to_string(result) + " is larger than " + std::to_string(maximum));
        return result;
    }
    // "n" or "high:low".
    BitRange bits(unsigned registerBits) const {
        const std::string text = string();
        const std::size_t colon = text.find(':');
        const auto high = parseNumber(text.substr(0, colon), true);
        const auto low =
            colon == std::string::npos ? high : parseNumber(text.substr(colon + 1), true);
        if (!high || !low) fail("\"" + text + "\" is not \"bit\" or \"high:low\"");
        if (*low > *high) fail("\"" + text + "\" runs from high to low backwards");
        if (*high >= registerBits)
            fail("\"" + text + "\" lies beyond the register's " + std::to_string(registerBits) +
                 " bits");
        return {static_cast<uint8_t>(*low), static_cast<uint8_t>(*high)};
    }

    const Json& json() const { return *value_; }
    const std::string& path() const { return path_; }
    const std::string& file() const { return *file_; }

    // A JSON number's text: decimal, or hexadecimal as "0x1F" or "1Fh".
    static std::optional<uint64_t> parseNumber(std::string_view text, bool decimalOnly = false) {
        int base = 10;
        if (!decimalOnly && text.size() > 2 && text[0] == '0' &&
            (text[1] == 'x' || text[1] == 'X')) {
            text.remove_prefix(2);
            base = 16;
        } else if (!decimalOnly && text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
            text.remove_suffix(1);
            base = 16;
        }
        uint64_t value = 0;
        const auto [end, error] =
            std::from_chars(text.data(), text.data() + text.size(), value, base);
        if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
        return value;
    }

  private:
    const std::string* file_;
    const Json* value_;
    std::string path_;
};

FieldDescription readField(const Entry& entry, unsigned registerBits) {
    entry.expectKeys({"bits", "name", "invert", "rw1c", "add", "values", "address"});
    FieldDescription field;
    field.name = entry["name"].string();
    field.bits = entry["bits"].bits(registerBits);
    const bool oneBit = field.bits.low == field.bits.high;
    if (entry.has("invert")) {
        field.invert = entry["invert"].boolean();
        if (field.invert && !oneBit) entry["invert"].fail("only a one-bit field can be inverted");
    }
    if (entry.has("rw1c")) field.rw1c = entry["rw1c"].boolean();
    if (entry.has("add")) field.add = static_cast<uint32_t>(entry["add"].number(0xFFFF));
    if (entry.has("values")) {
        const Entry values = entry["values"];
        if (!values.json().is_object()) values.fail("is not an object of value names");
        const uint32_t largest = field.bits.mask() >> field.bits.low;
        for (const auto& [key, name] : values.json().items()) {
            const Entry value(entry.file(), name, values.path() + "." + key);
            const auto number = Entry::parseNumber(key);
            if (!number || *number > largest)
                value.fail("\"" + key + "\" is not a value the field can hold");
            field.values.emplace_back(static_cast<uint32_t>(*number), value.string());
        }
        std::sort(field.values.begin(), field.values.end());
    }
    if (entry.has("address")) {
        const Entry address = entry["address"];
        address.expectKeys({"shift", "or"});
        AddressForm form;
        form.shift = static_cast<unsigned>(address["shift"].number(32));
        if (address.has("or")) form.orBits = address["or"].number(0xFFFF'FFFF);
        field.address = form;
    }
    return field;
}

std::vector<FieldDescription> readFields(const Entry& list, unsigned registerBits) {
    std::vector<FieldDescription> fields;
    uint32_t taken = 0;
    for (const Entry& item : list.items()) {
        FieldDescription field = readField(item, registerBits);
        if (taken & field.bits.mask()) item.fail("overlaps the bits of an earlier field");
        taken |= field.bits.mask();
        fields.push_back(std::move(field));
    }
    return fields;
}

// One entry, or `count` one after the other (a run of like registers).
void readRegister(const Entry& entry, std::vector<RegisterDescription>& out) {
    entry.expectKeys(
        {"offset", "width", "name", "key", "aliases", "count", "bigEndian", "bar", "fields"});
    RegisterDescription description;
    description.offset = static_cast<uint8_t>(entry["offset"].number(0xFF));
    description.width = static_cast<uint8_t>(entry["width"].number(4));
    if (description.width != 1 && description.width != 2 && description.width != 4)
        entry["width"].fail("is not 1, 2 or 4 bytes");
    if (description.offset % description.width != 0)
        entry["offset"].fail("is not a multiple of the register's width");
    description.name = entry["name"].string();
    description.key = entry.has("key") ? entry["key"].string() : keyForName(description.name);
    if (entry.has("aliases")) {
        for (const Entry& alias : entry["aliases"].items())
            description.aliases.push_back(alias.string());
    }
    if (entry.has("bigEndian")) description.bigEndian = entry["bigEndian"].boolean();
    if (entry.has("bar")) description.bar = entry["bar"].boolean();
    if (description.bar && description.width != 4) entry["bar"].fail("a BAR is 4 bytes wide");
    if (entry.has("fields"))
        description.fields = readFields(entry["fields"], description.width * 8u);

    const uint64_t count = entry.has("count") ? entry["count"].number(256) : 1;
    if (count == 0) entry["count"].fail("is 0");
    if (description.offset + count * description.width > 256)
        entry.fail("reaches beyond register FFh");
    for (uint64_t i = 0; i < count; ++i) {
        RegisterDescription copy = description;
        copy.offset = static_cast<uint8_t>(description.offset + i * description.width);
        if (count > 1) {
            char suffix[8];
            std::snprintf(suffix, sizeof suffix, "_%02X", copy.offset);
            copy.key += suffix;
        }
        out.push_back(std::move(copy));
    }
}

// A list of registers that do not overlap and whose names for the command
// line are unique (together with those in `alsoNamed`).
std::vector<RegisterDescription> readRegisters(const Entry& list,
                                               std::vector<std::string> alsoNamed = {}) {
    std::vector<RegisterDescription> registers;
    std::vector<bool> taken(256, false);
    for (const Entry& item : list.items()) {
        const std::size_t first = registers.size();
        readRegister(item, registers);
        for (std::size_t i = first; i < registers.size(); ++i) {
            const RegisterDescription& added = registers[i];
            for (unsigned b = added.offset; b < added.offset + added.width; ++b) {
                if (taken[b]) item.fail("overlaps an earlier register");
                taken[b] = true;
            }
            std::vector<std::string> names = added.aliases;
            names.push_back(added.key);
            for (const std::string& name : names) {
                if (std::find(alsoNamed.begin(), alsoNamed.end(), name) != alsoNamed.end())
                    item.fail("the name \"" + name + "\" is taken by an earlier register");
                alsoNamed.push_back(name);
            }
        }
    }
    return registers;
}

std::vector<std::string> namesOf(const std::vector<RegisterDescription>& registers) {
    std::vector<std::string> names;
    for (const RegisterDescription& description : registers) {
        names.push_back(description.key);
        names.insert(names.end(), description.aliases.begin(), description.aliases.end());
    }
    return names;
}

Condition readCondition(const Entry& entry) {
    entry.expectKeys({"at", "width", "bits", "is"});
    Condition condition;
    condition.at = static_cast<uint8_t>(entry["at"].number(0xFF));
    condition.width = static_cast<uint8_t>(entry["width"].number(4));
    if (condition.width != 1 && condition.width != 2 && condition.width != 4)
        entry["width"].fail("is not 1, 2 or 4 bytes");
    condition.bits = entry["bits"].bits(condition.width * 8u);
    condition.is =
        static_cast<uint32_t>(entry["is"].number(condition.bits.mask() >> condition.bits.low));
    return condition;
}

CapabilityDescription readCapability(const Entry& entry) {
    entry.expectKeys({"id", "name", "key", "registers", "variants"});
    CapabilityDescription capability;
    capability.id = static_cast<uint8_t>(entry["id"].number(0xFF));
    capability.name = entry["name"].string();
    capability.key = entry["key"].string();
    if (entry.has("registers")) capability.registers = readRegisters(entry["registers"]);
    if (entry.has("variants")) {
        for (const Entry& item : entry["variants"].items()) {
            item.expectKeys({"if", "registers"});
            CapabilityVariant variant;
            if (item.has("if")) variant.when = readCondition(item["if"]);
            variant.registers = readRegisters(item["registers"], namesOf(capability.registers));
            capability.variants.push_back(std::move(variant));
        }
    }
    return capability;
}

RegisterBook readBook(const Entry& root) {
    root.expectKeys({"comment", "pci", "superio"});
    const Entry pci = root["pci"];
    pci.expectKeys({"header", "bar", "type0", "type1", "capabilityHeader", "capabilities"});
    RegisterBook book;
    book.pciHeader = readRegisters(pci["header"]);
    book.type0 = readRegisters(pci["type0"], namesOf(book.pciHeader));
    book.type1 = readRegisters(pci["type1"], namesOf(book.pciHeader));
    for (const auto* layout : {&book.type0, &book.type1}) {
        for (const RegisterDescription& description : *layout) {
            if (description.offset < 0x10)
                pci.fail(description.name + " lies in the common header");
        }
    }
    const Entry bar = pci["bar"];
    bar.expectKeys({"memory", "io", "upperHalf"});
    book.bar.memory = readFields(bar["memory"], 32);
    book.bar.io = readFields(bar["io"], 32);
    book.bar.upperHalf = readFields(bar["upperHalf"], 32);
    book.capabilityHeader = readRegisters(pci["capabilityHeader"]);
    std::set<uint8_t> ids;
    std::set<std::string> keys;
    for (const Entry& item : pci["capabilities"].items()) {
        CapabilityDescription capability = readCapability(item);
        if (!ids.insert(capability.id).second)
            item.fail("the ID is taken by an earlier capability");
        if (!keys.insert(capability.key).second)
            item.fail("the key is taken by an earlier capability");
        book.capabilities.push_back(std::move(capability));
    }
    book.superIo = readRegisters(root["superio"]);
    return book;
}

}  // namespace

const CapabilityDescription* RegisterBook::capability(uint8_t id) const {
    for (const CapabilityDescription& description : capabilities) {
        if (description.id == id) return &description;
    }
    return nullptr;
}

std::string keyForName(std::string_view name) {
    std::string key;
    bool gap = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        // "I/O" is one word.
        if (c == '/' && i > 0 && i + 1 < name.size() && name[i - 1] == 'I' && name[i + 1] == 'O')
            continue;
        if (!std::isalnum(c)) {
            gap = true;
            continue;
        }
        if (gap && !key.empty()) key += '_';
        gap = false;
        key += static_cast<char>(std::toupper(c));
    }
    return key;
}

RegisterBook parseRegisterBook(std::string_view text, const std::string& displayName) {
    Json root;
    try {
        root = Json::parse(text);
    } catch (const Json::parse_error& error) {
        throw RegisterFileError(displayName + ": not JSON: " + error.what());
    }
    return readBook(Entry(displayName, root, ""));
}

RegisterBook readRegisterBook(const std::filesystem::path& path) {
    std::error_code error;
    const std::string name = path.string();
    if (!std::filesystem::is_regular_file(path, error))
        throw RegisterFileError(name + ": cannot be read (no such file)");
    if (std::filesystem::file_size(path, error) > kMaxFileBytes)
        throw RegisterFileError(name + ": is too large for a register description file");
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file) throw RegisterFileError(name + ": cannot be read");
    return parseRegisterBook(text.str(), name);
}

RegisterBook readShippedRegisterBook() {
    return readRegisterBook(common::dataFilePath(kRegisterFileName));
}

}  // namespace zelkora::registers
