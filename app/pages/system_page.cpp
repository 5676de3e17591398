#include "app/pages/system_page.h"

#include <QLabel>

#include "app/controls/control_id.h"
#include "app/pages/record_text.h"
#include "app/pages/system_formats.h"
#include "app/pages/translated_texts.h"
#include "app/shell/control_ids.h"
#include "app/shell/fonts.h"
#include "ui_system_page.h"
#include "zelkora/sysinfo.h"

namespace zelkora::app {

namespace {

constexpr std::array<TranslatedText, 27> kTexts{{
    {"group1012", {"System", "系统环境", "系統資訊"}},
    {"label1013", {"Comp. Name", "计算机名", "電腦名稱"}},
    {"label1017", {"Current User", "当前用户", "目前使用者"}},
    {"label1019", {"Date/Time", "日期/时间", "日期/時間"}},
    {"label1022", {"Language", "语    言", "語    言"}},
    {"group1015", {"OS and Memory", "操作系统/内存", "作業系統/記憶體"}},
    {"label1024", {"OS Name", "操作系统", "作業系統"}},
    {"label1025", {"OS Version", "版    本", "版    本"}},
    {"label1026", {"Other Info", "其它信息", "其它資訊"}},
    {"label1030", {"Total Size", "物理内存", "總記憶體容量"}},
    {"label1032", {"Avail (Phy)", "可用物理内存数", "可用實體記憶體"}},
    {"label1034", {"Total Pages", "页面文件数", "總 頁 數"}},
    {"group1056", {"Processor", "处理器", "處理器"}},
    {"label1057", {"Processor", "名    称", "名    稱"}},
    {"label1059", {"Vendor", "制 造 商", "製 造 商"}},
    {"label1085", {"Socket Type", "插槽类型", "插槽類型"}},
    {"label1065", {"In-Clock", "工作频率", "工作頻率"}},
    {"label1064", {"FSB", "前端总线", "外部頻率"}},
    {"label1063", {"Ratio", "倍  频", "倍    頻"}},
    {"group1068", {"MotherBoard", "主 板", "主機板"}},
    {"label1069", {"Manufacturer", "制 造 商", "製 造 商"}},
    {"label1070", {"Model Name", "产 品 型 号", "產 品 型 號"}},
    {"label1071", {"Revision", "BIOS版本", "BIOS版本"}},
    {"label1072", {"Release Date", "BIOS发行日期", "BIOS發行日期"}},
    {"label1078", {"Vendor", "制 造 商", "製 造 商"}},
    {"label1079", {"Version", "版本", "版本"}},
    {"label1080", {"ROM Size", "ROM容量", "ROM容量"}},
}};

}  // namespace

SystemPage::SystemPage(Language language, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::SystemPage>()) {
    ui_->setupUi(this);
    useWindowFont(*this, language);
    applyTexts(this, kTexts, language);
    clock_.setInterval(kClockPeriodMs);
    connect(&clock_, &QTimer::timeout, this, &SystemPage::showDateTime);
}

SystemPage::~SystemPage() = default;

void SystemPage::setField(int id, const QString& text) {
    if (auto* field = control<QLabel>(this, id)) field->setText(text);
}

void SystemPage::fill() {
    MotherBoardInfo board{};
    ProcessorInfo processor{};
    GetMotherBoardInfo(&board);
    GetProcessorInfo(&processor);

    setField(system_control::kProcessor, recordText(processor.CPUVersionStr));
    setField(system_control::kVendor, recordText(processor.CPUVendorID));
    setField(system_control::kSocketType, recordText(processor.CPUSocketType));
    setField(system_control::kFamily, system::hexText(processor.CPUFamily));
    setField(system_control::kModel, system::hexText(processor.CPUModel));
    setField(system_control::kStepping, system::hexText(processor.CPUStepping));
    setField(system_control::kInClock, QString::number(processor.CPUSpeed));
    setField(system_control::kFsb, QString::number(processor.CPUExtendedClock));
    setField(system_control::kRatio, system::ratioText(processor.CPURatio));

    // A failed version query leaves the OS fields as they were.
    OSVersionInfo os{};
    if (GetOSVersionInfo(&os) == 1) {
        setField(system_control::kOsName, recordText(os.OSNameString));
        setField(system_control::kOsVersion, system::versionText(os));
        setField(system_control::kOtherInfo, recordText(os.OtherInfo));
    }

    MemoryInfo memory{};
    GetMemoryInfo(&memory);
    setField(system_control::kTotalSize, system::kilobytesText(memory.TotalPhysicalMem));
    setField(system_control::kAvailablePhysical, system::kilobytesText(memory.AvailPhysicalMem));
    setField(system_control::kTotalPages, system::kilobytesText(memory.TotalPageFiles));

    GeneralInfo general{};
    GetGeneralInfo(&general);
    setField(system_control::kComputerName, recordText(general.ComputerName));
    setField(system_control::kCurrentUser, recordText(general.CurrentUser));
    setField(system_control::kLanguage, recordText(general.LocalLanguage));
    setField(system_control::kDateTime, recordText(general.CurrentDateTime));

    setField(system_control::kBoardManufacturer, recordText(board.Manufacture));
    setField(system_control::kBoardModel, recordText(board.ModelName));
    setField(system_control::kBoardRevision, recordText(board.RevisionVer));
    setField(system_control::kBoardReleaseDate, recordText(board.ReleaseDate));
    setField(system_control::kBiosVendor, recordText(board.BIOSVendor));
    setField(system_control::kBiosVersion, recordText(board.BIOSRevision));
    setField(system_control::kRomSize, QString::number(board.BIOSRomSize));

    // One clock: a second fill restarts it rather than adding another.
    clock_.start();
}

void SystemPage::showDateTime() {
    GeneralInfo general{};
    GetGeneralInfo(&general);
    setField(system_control::kDateTime, recordText(general.CurrentDateTime));
}

}  // namespace zelkora::app

// The meta-object code stays in this object, so a program that uses only some
// of the windows links only those.
#include "moc_system_page.cpp"
