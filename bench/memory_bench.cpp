// Private bytes of a process running Velmora's own code: the window loaded the
// way the program loads it, then driven through Browse commands, status texts
// and new-window requests exactly as the button and the control raise them.
// Nothing leaves the machine: every request goes to a closed loopback port.
#include <windows.h>
#include <commctrl.h>
#include <exdispid.h>
#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/process_state.h"
#include "app/win_owners.h"
#include "bench_figures.h"
#include "event_sink_driver.h"
#include "browse/browse_handlers.h"
#include "skin/win_skin.h"
#include "ui/main_window.h"
#include "webview/web_view.h"

namespace velmora::bench {
namespace {

constexpr wchar_t kClosedPort[] = L"http://127.0.0.1:9";
constexpr size_t kStatusUnits = 512;  // 1 KiB of UTF-16

// How many of each; the defaults are the measured figures, smaller numbers
// from the command line are for a quick look only.
struct Counts {
  int browseCommands = 1000;
  int statusTexts = 100000;
  int newWindows = 100;
};
Counts& Wanted() {
  static Counts counts;
  return counts;
}
// Long enough for the control's own work after a burst to finish and its idle
// worker threads to end (each holds some MiB of committed stack and TLS),
// so the figure is what stays rather than what is in flight.
constexpr DWORD kSettleMs = 8000;
constexpr DWORD kMaxExtraSettleMs = 60000;
constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kGrowthTargetMiB = 1.0;

void Pump(DWORD forMs) {
  DWORD until = GetTickCount() + forMs;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (PreTranslateWindowMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    DWORD now = GetTickCount();
    if (static_cast<LONG>(until - now) <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_ALLINPUT);
  }
}

// What Windows reports as the process's private bytes. Wine 8 derives it from
// the swap in use, so there it reads 0 and the region walk below is the figure.
double PrivateUsage() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
  return static_cast<double>(counters.PrivateUsage);
}

// Every committed region of the address space that is not an image or a
// mapped file, in address order.
template <typename Visit>
void ForEachCommittedPrivateRegion(Visit visit) {
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) visit(region);
  }
}

// Private bytes as Windows defines them, counted by walking the address space.
double CommittedPrivateRegions() {
  double total = 0;
  ForEachCommittedPrivateRegion(
      [&](const MEMORY_BASIC_INFORMATION& region) { total += static_cast<double>(region.RegionSize); });
  return total;
}

// Bytes handed out by every heap of the process and not yet freed: what the
// program and the libraries it calls hold, without the heaps' commit steps.
double HeapBytesInUse() {
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  double total = 0;
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += static_cast<double>(entry.cbData);
    }
    HeapUnlock(heap);
  }
  return total;
}

// Worker threads of the control commit their own stacks, some MiB each, so
// a reading taken while one is still alive shows memory that does not stay.
// Neither Wine's thread snapshot nor its process list counts a process's
// threads (both give 1), so the stacks themselves are counted: committed
// private allocations that hold a guard page.
int ThreadStackCount() {
  int count = 0;
  const void* countedBase = nullptr;
  ForEachCommittedPrivateRegion([&](const MEMORY_BASIC_INFORMATION& region) {
    if ((region.Protect & PAGE_GUARD) != 0 && region.AllocationBase != countedBase) {
      countedBase = region.AllocationBase;
      ++count;
    }
  });
  return count;
}

// Pumps for the settling time, then on until no more thread stacks are alive
// than at the first reading, for a minute at most; returns the extra time.
DWORD Settle(int stacksAtStart) {
  Pump(kSettleMs);
  DWORD waited = 0;
  for (; stacksAtStart >= 0 && ThreadStackCount() > stacksAtStart && waited < kMaxExtraSettleMs; waited += 500) {
    Pump(500);
  }
  return waited;
}

using velmora::testing::RaiseNewWindow;
using velmora::testing::RaiseStatusText;

std::u16string Wide16(const std::string& text) { return std::u16string(text.begin(), text.end()); }

void NothingMore() {}

void BrowseMany() {
  for (int i = 0; i < Wanted().browseCommands; ++i) {
    std::u16string address = Wide16(Printf("http://127.0.0.1:9/browse/%d", i));
    SetWindowTextW(ControlWindow(ControlId::AddressBox), Wide(address));
    OnBrowse();
    Pump(1);
  }
}

void StatusTextsMany() {
  std::u16string text(kStatusUnits, u'x');
  double startMs = NowMs();
  for (int i = 0; i < Wanted().statusTexts; ++i) {
    std::u16string number = Wide16(Printf("%d ", i));
    text.replace(0, number.size(), number);
    RaiseStatusText(text);
    if (i % 1000 == 999) {
      Pump(0);
      if (i == 999) std::printf("    (first 1,000 status texts took %.1f s)\n", (NowMs() - startMs) / 1000.0);
    }
  }
}

void NewWindowsMany() {
  // A page's new window follows the status text of the link that asked for it.
  for (int i = 0; i < Wanted().newWindows; ++i) {
    RaiseStatusText(Wide16(Printf("http://127.0.0.1:9/new-window/%d", i)));
    RaiseNewWindow();
    Pump(5);
  }
}

// Seconds for 1,000 texts sent straight to `bar` by its own thread.
double TimeStatusTexts(HWND bar) {
  constexpr int kTexts = 1000;
  std::wstring text(kStatusUnits, L'x');
  double startMs = NowMs();
  for (int i = 0; i < kTexts; ++i) {
    std::wstring number = std::to_wstring(i) + L" ";
    text.replace(0, number.size(), number);
    SendMessageW(bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  return (NowMs() - startMs) / 1000.0;
}

// The status bar alone, without the event sink and the relay in between, and
// a plain bar of the same size made by a thread the skin engine has not
// hooked: how a status text's time divides between the relay, the bar and
// the engine's dressing of it.
void TimeStatusBarAlone() {
  std::printf("  1,000 status texts sent straight to Velmora's status bar took %.1f s\n",
              TimeStatusTexts(ControlWindow(ControlId::StatusBar)));
  std::thread plain([] {
    RECT place;
    GetWindowRect(MainWindowHandle(), &place);
    HWND window = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP | WS_VISIBLE, place.left, place.top,
                                  place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (bar != nullptr) {
      std::printf("  1,000 status texts sent to a plain status bar took %.1f s\n", TimeStatusTexts(bar));
    }
    DestroyWindow(window);
  });
  plain.join();
}

struct Phase {
  const char* name;  // printf format taking the phase's count
  int Counts::*count;  // null: no count
  void (*run)();
};
constexpr Phase kPhases[] = {
    {"after start", nullptr, NothingMore},
    {"after %d Browse commands", &Counts::browseCommands, BrowseMany},
    {"after %d status texts of 1 KiB", &Counts::statusTexts, StatusTextsMany},
    {"after %d new-window requests", &Counts::newWindows, NewWindowsMany},
};

std::string PhaseName(const Phase& phase) {
  return phase.count == nullptr ? std::string(phase.name) : Printf(phase.name, Wanted().*phase.count);
}

// The program's own start-up steps up to its message loop, each timed: the
// in-process cost of each, without the process creation around them.
struct StartStep {
  const char* name;
  bool (*run)();
};
constexpr StartStep kStartSteps[] = {
    {"OleInitialize", [] { return SUCCEEDED(OleInitialize(nullptr)); }},
    {"run directory, skin module",
     [] {
       wchar_t self[MAX_PATH];
       DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
       Process().runDirectory = RunDirectoryOf(U16(self, length));
       InitSkinModule();
       return true;
     }},
    {"StartRoutine (writes the engine)",
     [] {
       StartRoutine();
       return true;
     }},
    {"LoadMainWindow", [] { return LoadMainWindow(); }},
};

double& EventTime(BoundEvent event) {
  static double times[static_cast<int>(BoundEvent::StatusTextChange) + 1] = {};
  return times[static_cast<int>(event)];
}

bool LoadAsTheProgramDoes() {
  // The created handler runs between these two events: skin attach, the
  // identity, the landing Browse and the status pane.
  SetEventObserver([](BoundEvent event) {
    if (EventTime(event) == 0) EventTime(event) = NowMs();
  });
  std::printf("In-process start-up steps:\n");
  double stepStartMs = 0, stepEndMs = 0;
  for (const StartStep& step : kStartSteps) {
    stepStartMs = NowMs();
    if (!step.run()) return false;
    stepEndMs = NowMs();
    std::printf("  %-36s %8.1f ms\n", step.name, stepEndMs - stepStartMs);
  }
  // The last step is LoadMainWindow; its parts, split by the bound events.
  double createdMs = EventTime(BoundEvent::Created), resizedMs = EventTime(BoundEvent::SizeChanged);
  std::printf("    %-34s %8.1f ms\n", "window and controls, view included", createdMs - stepStartMs);
  std::printf("    %-34s %8.1f ms\n", "created handler (skin, landing)", resizedMs - createdMs);
  std::printf("    %-34s %8.1f ms\n", "layout, show and activate", stepEndMs - resizedMs);
  SetEventObserver(nullptr);
  return true;
}

}  // namespace
}  // namespace velmora::bench

int wmain(int argc, wchar_t** argv) {
  using namespace velmora::bench;
  int* counts[] = {&Wanted().browseCommands, &Wanted().statusTexts, &Wanted().newWindows};
  for (int i = 1; i < argc && i <= 3; ++i) *counts[i - 1] = std::max(1, _wtoi(argv[i]));
  SetEnvironmentVariableW(L"http_proxy", kClosedPort);
  if (!LoadAsTheProgramDoes() || velmora::MainWebView() == nullptr) {
    std::printf("The main window could not be loaded\n");
    return 1;
  }
  std::printf("Memory: private bytes of one process running Velmora's code (requests go to a closed port)\n");
  std::vector<double> figures;
  int stacksAtStart = -1;
  for (const Phase& phase : kPhases) {
    double startMs = NowMs();
    phase.run();
    double ranMs = NowMs() - startMs;
    DWORD extraSettleMs = Settle(stacksAtStart);
    if (stacksAtStart < 0) stacksAtStart = ThreadStackCount();
    figures.push_back(CommittedPrivateRegions());
    std::printf("  %-38s private bytes %7.2f MiB  heap in use %7.2f MiB  thread stacks %2d  (PrivateUsage counter %.2f MiB; "
                "phase took %.1f s, settled %.1f s more)\n",
                PhaseName(phase).c_str(), figures.back() / kMiB, HeapBytesInUse() / kMiB, ThreadStackCount(),
                PrivateUsage() / kMiB, ranMs / 1000.0, extraSettleMs / 1000.0);
    std::fflush(stdout);
  }
  double growthMiB = (figures.back() - figures.front()) / kMiB;
  PrintFigure("Memory, private bytes growth from start to the last phase",
              Printf("%+.2f MiB (%.2f -> %.2f MiB)", growthMiB, figures.front() / kMiB, figures.back() / kMiB),
              Printf("< %.0f MiB", kGrowthTargetMiB), growthMiB < kGrowthTargetMiB);
  TimeStatusBarAlone();
  DestroyWindow(velmora::MainWindowHandle());
  velmora::RunMessageLoop();
  OleUninitialize();
  return figures.front() > 0 ? 0 : 1;
}
