// Start-up of the program on the demo board: from launching `zelkora` until
// the X server maps its main window, and until it maps the Reminder on top of
// it. The program has no hook for this, so the bench watches the display as
// any other X client could. Run it in a display of its own:
//
//     xvfb-run -a -s "-screen 0 1024x768x24" build/release/bin/startup_bench [RUNS]
//
// Prints the median, fastest and slowest of RUNS starts (default 9) after one
// start that warms the caches.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <xcb/xcb.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kProgram[] = ZELKORA_OUTPUT_DIR "/zelkora";
constexpr char kDemo[] = ZELKORA_SOURCE_DIR "/machines/demo.json";
constexpr auto kGiveUp = std::chrono::seconds(20);

struct Start {
    double mainWindowMs;
    double reminderMs;
};

struct FreeEvent {
    void operator()(void* event) const { std::free(event); }
};

class Display {
  public:
    Display() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~Display() { xcb_disconnect(connection_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool open() const { return xcb_connection_has_error(connection_) == 0; }

    // Every top-level window mapped from now on is reported.
    void watchTopLevels() {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }

    // The next top-level window mapped before `deadline`, other than pop-ups.
    std::optional<xcb_window_t> nextMapped(Clock::time_point deadline) {
        while (Clock::now() < deadline) {
            std::unique_ptr<xcb_generic_event_t, FreeEvent> event(xcb_poll_for_event(connection_));
            if (!event) {
                pollfd ready{xcb_get_file_descriptor(connection_), POLLIN, 0};
                ::poll(&ready, 1, 5);
                continue;
            }
            if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY) continue;
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            if (!map->override_redirect) return map->window;
        }
        return std::nullopt;
    }

    // Drops what earlier starts left queued.
    void drain() {
        while (std::unique_ptr<xcb_generic_event_t, FreeEvent> event{
            xcb_poll_for_event(connection_)}) {
        }
    }

    std::string title(xcb_window_t window) {
        const auto cookie = xcb_get_property(connection_, 0, window, XCB_ATOM_WM_NAME,
                                             XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
        std::unique_ptr<xcb_get_property_reply_t, FreeEvent> reply(
            xcb_get_property_reply(connection_, cookie, nullptr));
        if (!reply) return {};
        const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
        return std::string(text,
                           static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    }

  private:
    xcb_connection_t* connection_;
};

std::vector<std::string> programEnvironment(const std::filesystem::path& runtime) {
    std::vector<std::string> variables;
    for (char** each = environ; *each; ++each) {
        const std::string variable = *each;
        // The bench decides these; everything else (DISPLAY, the locale) is the caller's.
        if (variable.starts_with("ZELKORA_") || variable.starts_with("QT_QPA_PLATFORM=") ||
            variable.starts_with("XDG_RUNTIME_DIR="))
            continue;
        variables.push_back(variable);
    }
    variables.push_back(std::string("ZELKORA_MACHINE=") + kDemo);
    variables.push_back("QT_QPA_PLATFORM=xcb");
    // A lock directory of its own, so no other copy on this machine turns the
    // start into "Application already running!".
    variables.push_back("XDG_RUNTIME_DIR=" + runtime.string());
    return variables;
}

std::optional<Start> startOnce(Display& display, const std::vector<std::string>& variables,
                               bool showTitles) {
    std::vector<char*> envp;
    for (const std::string& variable : variables)
        envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(kProgram), nullptr};

    display.drain();
    const auto launched = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, kProgram, nullptr, nullptr, argv, envp.data()) != 0) {
        std::fprintf(stderr, "startup_bench: cannot start %s\n", kProgram);
        return std::nullopt;
    }
    const auto deadline = launched + kGiveUp;
    const auto main = display.nextMapped(deadline);
    const auto mainShown = Clock::now();
    const auto reminder = main ? display.nextMapped(deadline) : std::nullopt;
    const auto reminderShown = Clock::now();
    if (showTitles && reminder) {
        std::printf("  windows          : \"%s\", then \"%s\"\n", display.title(*main).c_str(),
                    display.title(*reminder).c_str());
    }
    ::kill(child, SIGTERM);
    ::waitpid(child, nullptr, 0);
    if (!reminder) {
        std::fprintf(stderr, "startup_bench: the program did not show %s within %llds\n",
                     main ? "the Reminder" : "its main window",
                     static_cast<long long>(kGiveUp.count()));
        return std::nullopt;
    }
    using Ms = std::chrono::duration<double, std::milli>;
    return Start{Ms(mainShown - launched).count(), Ms(reminderShown - launched).count()};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    Display display;
    if (!std::getenv("DISPLAY") || !display.open()) {
        std::fprintf(stderr, "startup_bench: needs an X display; run it under xvfb-run -a\n");
        return 2;
    }
    display.watchTopLevels();
    const auto runtime = std::filesystem::temp_directory_path() /
                         ("zelkora-startup-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    const auto variables = programEnvironment(runtime);

    bool ok = startOnce(display, variables, true).has_value();  // warms the caches
    std::vector<double> mainTimes;
    std::vector<double> reminderTimes;
    for (int run = 0; ok && run < runs; ++run) {
        const auto start = startOnce(display, variables, false);
        ok = start.has_value();
        if (!ok) break;
        mainTimes.push_back(start->mainWindowMs);
        reminderTimes.push_back(start->reminderMs);
    }
    std::filesystem::remove_all(runtime);
    if (!ok) return 1;

    const auto [fastest, slowest] = std::minmax_element(reminderTimes.begin(), reminderTimes.end());
    std::printf("Program start on the demo board, %d runs\n", runs);
    std::printf("  main window shown: %8.1f ms median\n", median(mainTimes));
    std::printf("  Reminder shown   : %8.1f ms median (fastest %.1f, slowest %.1f)\n",
                median(reminderTimes), *fastest, *slowest);
    return 0;
}
