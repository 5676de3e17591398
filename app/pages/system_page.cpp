#include "app/pages/system_page.h"

#include <QLabel>

#include "app/controls/control_id.h"
#include "app/pages/record_text.h"
#include "app/pages/system_formats.h"
#include "app/pages/translated_texts.h"
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

    setField(1058, recordText(processor.CPUVersionStr));
    setField(1060, recordText(processor.CPUVendorID));
    setField(1087, recordText(processor.CPUSocketType));
    setField(1062, system::hexText(processor.CPUFamily));
    setField(1027, system::hexText(processor.CPUModel));
    setField(1040, system::hexText(processor.CPUStepping));
    setField(1029, QString::number(processor.CPUSpeed));
    setField(1084, QString::number(processor.CPUExtendedClock));
    setField(1041, system::ratioText(processor.CPURatio));

    // A failed version query leaves the OS fields as they were.
    OSVersionInfo os{};
    if (GetOSVersionInfo(&os) == 1) {
        setField(1042, recordText(os.OSNameString));
        setField(1028, system::versionText(os));
        setField(1044, recordText(os.OtherInfo));
    }

    MemoryInfo memory{};
    GetMemoryInfo(&memory);
    setField(1045, system::kilobytesText(memory.TotalPhysicalMem));
    setField(1043, system::kilobytesText(memory.AvailPhysicalMem));
    setField(1046, system::kilobytesText(memory.TotalPageFiles));

    GeneralInfo general{};
    GetGeneralInfo(&general);
    setField(1014, recordText(general.ComputerName));
    setField(1018, recordText(general.CurrentUser));
    setField(1021, recordText(general.LocalLanguage));
    setField(kDateTimeField, recordText(general.CurrentDateTime));

    setField(1076, recordText(board.Manufacture));
    setField(1075, recordText(board.ModelName));
    setField(1074, recordText(board.RevisionVer));
    setField(1073, recordText(board.ReleaseDate));
    setField(1083, recordText(board.BIOSVendor));
    setField(1082, recordText(board.BIOSRevision));
    setField(1081, QString::number(board.BIOSRomSize));

    // One clock: a second fill restarts it rather than adding another.
    clock_.start();
}

void SystemPage::showDateTime() {
    GeneralInfo general{};
    GetGeneralInfo(&general);
    setField(kDateTimeField, recordText(general.CurrentDateTime));
}

}  // namespace zelkora::app

// The meta-object code stays in this object, so a program that uses only some
// of the windows links only those.
#include "moc_system_page.cpp"
