#include "app/shell/tooltip_texts.h"

#include <array>

#include "app/shell/command_ids.h"

namespace zelkora::app {

namespace {

struct ToolTipRow {
    int commandId;
    std::array<const char*, 3> texts;  // codes 0, 1, 2
};

// Code 2 texts are the string table's entries 111-117.
constexpr std::array<ToolTipRow, 7> kToolTips{{
    {command::kSaveData,
     {"Save Data...(Ctrl+S)", "保存数据...(Ctrl+S)", "儲存資料...(Ctrl+S)"}},  // string 112
    {command::kExit, {"Exit(Alt+F4)", "退出(Alt+F4)", "離開(Alt+F4)"}},        // string 111
    {command::kSystem,
     {"System Info...(Alt+S)", "系统信息...(Alt+S)", "系統資料...(Alt+S)"}},  // string 113
    {command::kPciDevice,
     {"PCI Device Info...(Alt+P)", "PCI设备信息...(Alt+P)",
      "PCI裝置資料...(Alt+P)"}},  // string 114
    {command::kIdeDevice,
     {"IDE Device Info...(Alt+I)", "IDE设备信息...(Alt+I)",
      "IDE裝置資料...(Alt+I)"}},  // string 115
    {command::kAbout,
     {"About Us...(Alt+A)", "关于Zelkora...(Alt+A)", "關於Zelkora...(Alt+A)"}},  // string 116
    {command::kSuperIo,
     {"Super-I/O Info...(Alt+O)", "Super-I/O设备信息...(Alt+O)",
      "Super-I/O裝置資料...(Alt+O)"}},  // string 117
}};

}  // namespace

QString toolTipText(int commandId, uint8_t languageCode) {
    const std::size_t column = languageCode == 1 || languageCode == 2 ? languageCode : 0;
    for (const auto& row : kToolTips) {
        // The request's buffer holds 80 characters.
        if (row.commandId == commandId) return QString::fromUtf8(row.texts[column]).left(80);
    }
    return {};
}

}  // namespace zelkora::app
