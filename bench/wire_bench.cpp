// Start-up and Browse latency of velmora.exe against the bare host. Both run
// under the same Wine desktop with every request going through http_proxy to
// a loopback recorder, so the clock stops when a request really leaves the
// program. Runs alternate between the two programs so that a slow moment of a
// shared machine weighs on both alike.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "bare_host.h"
#include "bench_figures.h"
#include "e2e/loopback_recorder.h"
#include "e2e/program_driver.h"
#include "win/test_support.h"

namespace velmora::bench {
namespace {

using testing::LaunchOptions;
using testing::LoopbackRecorder;
using testing::RecordedRequest;
using testing::RequestTarget;
using testing::RunningProgram;

constexpr int kDefaultStartRuns = 12;
constexpr int kDefaultClicks = 200;
constexpr DWORD kIdleBeforeClickMs = 60;
constexpr double kStartTimeoutMs = 60000;
constexpr int kRequestTimeoutMs = 15000;
// Short enough that polling adds little to a start-up of some hundred ms.
constexpr DWORD kPollMs = 2;
constexpr double kStartTarget = 1.10;
constexpr double kBrowseTarget = 1.05;

// How the driver tells each program to go to an address: `prepare` is not
// timed (typing the address), `fire` is (the click or its equivalent).
struct Subject {
  const char* name;
  std::wstring program;
  const wchar_t* windowClass;
  void (*prepare)(RunningProgram& program, const std::wstring& address);
  // `button` is the program's Browse button, looked up once before timing.
  void (*fire)(const RunningProgram& program, HWND window, HWND button, const std::wstring& address);
  bool startsUp;  // false: a Browse variant only, not a start-up subject
};

void TypeAddress(RunningProgram& program, const std::wstring& address) { program.SetAddress(address); }
// The button's handle is at hand: looking it up in the other process takes
// longer than what is being measured differs by.
void ClickBrowse(const RunningProgram& program, HWND, HWND button, const std::wstring&) {
  program.ClickBrowse(button);
}
void NothingToType(RunningProgram&, const std::wstring&) {}
void SendTagged(HWND window, ULONG_PTR tag, const std::wstring& address) {
  DWORD bytes = static_cast<DWORD>(address.size() * sizeof(wchar_t));
  COPYDATASTRUCT data = {tag, bytes, const_cast<wchar_t*>(address.data())};
  SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}
void SendAddress(const RunningProgram&, HWND window, HWND, const std::wstring& address) {
  SendTagged(window, kNavigateTag, address);
}
void SendAddressWithIdentity(const RunningProgram&, HWND window, HWND, const std::wstring& address) {
  SendTagged(window, kNavigateWithIdentityTag, address);
}

std::vector<Subject> Subjects() {
  std::wstring here = testing::FolderOf(testing::ThisProgram());
  return {
      {"velmora", testing::ProgramUnderTest(), L"VelmoraMainWindow", TypeAddress, ClickBrowse, true},
      {"bare host", here + L"\\bare_host.exe", kBareHostClass, NothingToType, SendAddress, true},
      {"bare + UA", here + L"\\bare_host.exe", kBareHostClass, NothingToType, SendAddressWithIdentity, false},
  };
}

struct WindowSearch {
  DWORD processId;
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  if (owner != search->processId || GetClassNameW(window, name, 64) == 0 || wcscmp(name, search->windowClass) != 0) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// The moment the window is visible, as close as polling allows; negative when
// it never is. Once the window exists only its visibility is polled.
double PollUntilVisible(const RunningProgram& program, const wchar_t* windowClass, double startMs, HWND* window) {
  WindowSearch search = {program.ProcessId(), windowClass, nullptr};
  while (NowMs() - startMs < kStartTimeoutMs) {
    if (search.found == nullptr) EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr && IsWindowVisible(search.found)) {
      double at = NowMs();
      *window = search.found;
      return at - startMs;
    }
    if (WaitForSingleObject(program.Process(), kPollMs) == WAIT_OBJECT_0) return -1;
  }
  return -1;
}

bool IsLandingRequest(const RecordedRequest& request) {
  return RequestTarget(request).find("/?tobim") != std::string::npos;
}

LaunchOptions OptionsFor(const Subject& subject, int port) {
  LaunchOptions options;
  options.program = subject.program;
  options.environment = {L"http_proxy=http://127.0.0.1:" + std::to_wstring(port)};
  return options;
}

void Stop(RunningProgram& program, HWND window) {
  if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(program.Process(), 15000) == WAIT_TIMEOUT) {
    TerminateProcess(program.Process(), 99);
    WaitForSingleObject(program.Process(), 15000);
  }
}

struct StartSample {
  double requestMs = -1;
  double visibleMs = -1;
};

StartSample MeasureStart(const Subject& subject, LoopbackRecorder& recorder) {
  recorder.Clear();
  StartSample sample;
  RunningProgram program;
  std::atomic<double> requestAt{-1};
  double startMs = NowMs();
  // The waiter exists before the process does, so no arrival is missed.
  std::thread waiter([&] {
    if (recorder.WaitFor(IsLandingRequest, static_cast<int>(kStartTimeoutMs), nullptr)) requestAt = NowMs();
  });
  HWND window = nullptr;
  if (program.Start(OptionsFor(subject, recorder.Port()))) {
    sample.visibleMs = PollUntilVisible(program, subject.windowClass, startMs, &window);
  }
  waiter.join();
  if (requestAt >= 0) sample.requestMs = requestAt - startMs;
  Stop(program, window);
  return sample;
}

void PrintSpread(const char* what, const char* who, const Spread& s) {
  std::printf("  %-22s %-10s median %8.1f ms  IQR %8.1f-%-8.1f  min-max %8.1f-%-8.1f (n=%zu)\n", what, who, s.median,
              s.firstQuartile, s.thirdQuartile, s.low, s.high, s.count);
}

// Velmora's median over the bare host's, printed with both medians.
bool ReportRatio(const char* figure, const std::vector<std::vector<double>>& bySubject, double target) {
  Spread velmora = Summarise(bySubject[0]);
  Spread bare = Summarise(bySubject[1]);
  if (velmora.count == 0 || bare.count == 0 || bare.median <= 0) {
    std::printf("  %s: no measurement\n", figure);
    return false;
  }
  double ratio = velmora.median / bare.median;
  PrintFigure(figure, Printf("%.2f (%.1f / %.1f ms)", ratio, velmora.median, bare.median), Printf("<= %.2f", target),
              ratio <= target);
  return true;
}

bool BenchStart(const std::vector<Subject>& subjects, LoopbackRecorder& recorder, int runs) {
  std::printf("Start-up: %d alternating runs of each program (one warm-up run each, not counted)\n", runs);
  std::vector<std::vector<double>> request(subjects.size()), visible(subjects.size());
  for (int run = -1; run < runs; ++run) {
    for (size_t k = 0; k < subjects.size(); ++k) {
      // Alternate which program goes first, too.
      size_t index = (static_cast<size_t>(run + 1) + k) % subjects.size();
      StartSample sample = MeasureStart(subjects[index], recorder);
      std::printf("  run %2d %-10s first request %8.1f ms  window visible %8.1f ms%s\n", run + 1, subjects[index].name,
                  sample.requestMs, sample.visibleMs, run < 0 ? "  (warm-up)" : "");
      std::fflush(stdout);
      if (run < 0) continue;
      if (sample.requestMs >= 0) request[index].push_back(sample.requestMs);
      if (sample.visibleMs >= 0) visible[index].push_back(sample.visibleMs);
    }
  }
  for (size_t k = 0; k < subjects.size(); ++k) {
    PrintSpread("start to first request", subjects[k].name, Summarise(request[k]));
    PrintSpread("start to visible window", subjects[k].name, Summarise(visible[k]));
  }
  bool ran = ReportRatio("Start-up, first request (Velmora / bare host)", request, kStartTarget);
  ran = ReportRatio("Start-up, window visible (Velmora / bare host)", visible, kStartTarget) && ran;
  for (size_t k = 0; k < subjects.size(); ++k) {
    if (request[k].size() != static_cast<size_t>(runs) || visible[k].size() != static_cast<size_t>(runs)) ran = false;
  }
  return ran;
}

struct Steered {
  const Subject* subject;
  RunningProgram program;
  HWND window = nullptr;
  HWND button = nullptr;  // none in the bare host
};

bool WaitForLandings(LoopbackRecorder& recorder, size_t count) {
  for (double startMs = NowMs(); NowMs() - startMs < kStartTimeoutMs; Sleep(50)) {
    std::vector<RecordedRequest> requests = recorder.Requests();
    if (static_cast<size_t>(std::count_if(requests.begin(), requests.end(), IsLandingRequest)) >= count) return true;
  }
  return false;
}

bool BenchBrowse(const std::vector<Subject>& subjects, LoopbackRecorder& recorder, int clicks) {
  std::printf("Browse: %d alternating navigations in each program, a new path each time\n", clicks);
  recorder.Clear();
  std::vector<Steered> steered(subjects.size());
  bool ready = true;
  for (size_t k = 0; k < subjects.size(); ++k) {
    steered[k].subject = &subjects[k];
    ready = steered[k].program.Start(OptionsFor(subjects[k], recorder.Port())) &&
            PollUntilVisible(steered[k].program, subjects[k].windowClass, NowMs(), &steered[k].window) >= 0 && ready;
  }
  // The driver's own window handle is set by its wait; it returns at once.
  if (ready) ready = steered[0].program.WaitForWindow(5000) != nullptr;
  for (Steered& s : steered) s.button = GetDlgItem(s.window, testing::kBrowseButtonId);
  // Let both landing requests go out before timing anything else.
  ready = ready && WaitForLandings(recorder, subjects.size());
  Sleep(1000);
  std::vector<std::vector<double>> latency(subjects.size());
  int missed = 0;
  for (int click = 0; ready && click < clicks; ++click) {
    for (size_t k = 0; k < steered.size(); ++k) {
      Steered& s = steered[(static_cast<size_t>(click) + k) % steered.size()];
      size_t index = static_cast<size_t>(s.subject - subjects.data());
      std::string path = Printf("/bench/%zu/%d", index, click);
      std::string address = "http://127.0.0.1:" + std::to_string(recorder.Port()) + path;
      std::wstring wideAddress(address.begin(), address.end());
      recorder.Clear();
      s.subject->prepare(s.program, wideAddress);
      // Untimed: each click starts with both programs idle, not with the
      // other one still loading its last page on the second core, nor with
      // the typed address still waiting to be painted.
      Sleep(kIdleBeforeClickMs);
      double sentMs = NowMs();
      s.subject->fire(s.program, s.window, s.button, wideAddress);
      bool arrived = recorder.WaitFor(
          [&](const RecordedRequest& r) {
            std::string target = RequestTarget(r);
            return target.size() >= path.size() && target.compare(target.size() - path.size(), path.size(), path) == 0;
          },
          kRequestTimeoutMs, nullptr);
      double elapsed = NowMs() - sentMs;
      if (arrived) {
        latency[index].push_back(elapsed);
      } else {
        ++missed;
      }
    }
  }
  for (Steered& s : steered) Stop(s.program, s.window);
  for (size_t k = 0; k < subjects.size(); ++k) PrintSpread("click to request", subjects[k].name, Summarise(latency[k]));
  if (missed > 0) std::printf("  %d navigations never reached the recorder\n", missed);
  Spread bare = Summarise(latency[1]);
  Spread identity = Summarise(latency[2]);
  if (bare.median > 0) {
    std::printf("  handing urlmon the identity before Navigate: bare + UA / bare host = %.2f\n",
                identity.median / bare.median);
  }
  return ReportRatio("Browse, click to request (Velmora / bare host)", latency, kBrowseTarget) && ready && missed == 0;
}

}  // namespace
}  // namespace velmora::bench

int wmain(int argc, wchar_t** argv) {
  using namespace velmora::bench;
  int startRuns = argc > 1 ? std::max(1, _wtoi(argv[1])) : kDefaultStartRuns;
  int clicks = argc > 2 ? std::max(1, _wtoi(argv[2])) : kDefaultClicks;
  LoopbackRecorder recorder;
  if (!recorder.Listening()) {
    std::printf("The loopback recorder could not listen\n");
    return 1;
  }
  std::vector<Subject> subjects = Subjects();
  std::vector<Subject> startingUp;
  std::copy_if(subjects.begin(), subjects.end(), std::back_inserter(startingUp),
               [](const Subject& s) { return s.startsUp; });
  bool ran = BenchStart(startingUp, recorder, startRuns);
  ran = BenchBrowse(subjects, recorder, clicks) && ran;
  return ran ? 0 : 1;
}
