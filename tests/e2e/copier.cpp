// kolvex-copier: other programs inside Wine that copy as real ones do: prepared texts (CF_TEXT)
// at a steady pace (the burst test, the latency benchmark), a source that renders late, a
// reader that holds the clipboard right after a copy. Paths are Unix paths (Wine maps them).
//
//   burst LIST SPACING_MS LOG
//       copies the files named in LIST (one path a line) one after another, one every
//       SPACING_MS, then keeps its last copy on the clipboard until LOG.stop exists. LOG gets one
//       line per copy: "index start_ms open_ms at_ms sequence" (time since the first copy, how
//       long the clipboard took to open when another program held it, the time of the copy in
//       milliseconds since 1970, and the clipboard's sequence number after it).
//   reference LOG STOPFILE SETTLE_MS
//       until STOPFILE exists, reads the clipboard SETTLE_MS after each change as the program
//       promises to; LOG gets "sequence time_ms" of each read (milliseconds since 1970)
//   latency LIST FROM TO SETTLE_MS PAUSE_AT LOG
//       for lines FROM..TO (1-based) of LIST, each "source target": copies the source file's
//       bytes, waits until the target file holds exactly them, appends "index latency_ms" to LOG
//       and waits SETTLE_MS before the next copy. After copy PAUSE_AT it creates LOG.paused and
//       waits for LOG.continue. Exit code 1 when a target never arrives.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

double nowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Waits while answering messages: the system talks to a clipboard owner through its window.
void pump(DWORD ms) {
  const double end = nowMs() + ms;
  do {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    const double left = end - nowMs();
    if (left <= 0) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
  } while (nowMs() < end);
}

// Milliseconds since 1970, on the same clock as the Linux side's.
long long epochMs() {
  FILETIME f;
  GetSystemTimeAsFileTime(&f);
  const long long ticks = (static_cast<long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  return ticks / 10000 - 11644473600000LL;
}

std::string narrow(const wchar_t* w) {
  std::string s;
  for (; *w; ++w)
    s.push_back(static_cast<char>(*w));
  return s;
}

bool readAll(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  out = s.str();
  return true;
}

std::vector<std::string> lines(const std::string& path) {
  std::vector<std::string> out;
  std::ifstream in(path);
  for (std::string l; std::getline(in, l);)
    if (!l.empty()) out.push_back(l);
  return out;
}

// Copies the bytes as CF_TEXT; returns the milliseconds spent waiting to open the clipboard.
double copyText(HWND owner, const std::string& text) {
  const double start = nowMs();
  while (!OpenClipboard(owner))
    pump(1);
  const double opened = nowMs() - start;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (memory) {
    char* p = static_cast<char*>(GlobalLock(memory));
    memcpy(p, text.data(), text.size());
    p[text.size()] = '\0';
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
  return opened;
}

// Reads the target with every sharing right, so a program replacing it is never refused (a
// plain open would deny the rename over it and make the program's save fail).
// Opens it only when its size or time changed since the last look, to stay out of the way; FAT
// keeps times to two seconds, so a file unchanged to the look is read again every 5 ms.
bool fileHolds(const std::string& path, const std::string& bytes) {
  std::wstring w(path.begin(), path.end());
  static std::wstring lastPath;
  static FILETIME lastTime{};
  static DWORD lastSize = 0;
  static double lastRead = 0;
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExW(w.c_str(), GetFileExInfoStandard, &a)) return false;
  if (a.nFileSizeHigh != 0 || a.nFileSizeLow != bytes.size()) return false;
  if (w == lastPath && a.nFileSizeLow == lastSize &&
      CompareFileTime(&a.ftLastWriteTime, &lastTime) == 0 && nowMs() - lastRead < 5)
    return false;
  lastRead = nowMs();
  lastPath = w;
  lastSize = a.nFileSizeLow;
  lastTime = a.ftLastWriteTime;
  HANDLE f =
      CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::string now(bytes.size() + 1, '\0');
  DWORD got = 0, total = 0;
  while (total < now.size() &&
         ReadFile(f, now.data() + total, static_cast<DWORD>(now.size() - total), &got, nullptr) &&
         got > 0)
    total += got;
  CloseHandle(f);
  return total == bytes.size() && now.compare(0, total, bytes) == 0;
}

int burst(HWND owner, const std::string& list, int spacing, const std::string& log) {
  std::vector<std::string> texts;
  for (const std::string& path : lines(list)) {
    texts.emplace_back();
    if (!readAll(path, texts.back())) return 1;
  }
  std::ofstream out(log);
  const double first = nowMs();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const double due = first + static_cast<double>(spacing) * static_cast<double>(i);
    while (nowMs() < due)
      pump(static_cast<DWORD>(due - nowMs()));
    const double start = nowMs() - first;
    const long long at = epochMs();
    const double opened = copyText(owner, texts[i]);
    char line[128];
    std::snprintf(line, sizeof line, "%zu %.1f %.1f %lld %lu\n", i + 1, start, opened, at,
                  GetClipboardSequenceNumber());
    out << line << std::flush;
  }
  // Still the clipboard's owner: keep answering messages, since other programs' clipboard calls
  // under Wine wait up to 5 s for the owner's window to reply.
  const std::wstring stop = std::wstring(log.begin(), log.end()) + L".stop";
  for (int waited = 0;
       GetFileAttributesW(stop.c_str()) == INVALID_FILE_ATTRIBUTES && waited < 600000; waited += 50)
    pump(50);
  return 0;
}

int latency(HWND owner, const std::string& list, int from, int to, int settle, int pauseAt,
            const std::string& log) {
  const std::vector<std::string> all = lines(list);
  std::ofstream out(log, std::ios::app);
  for (int i = from; i <= to && i <= static_cast<int>(all.size()); ++i) {
    std::istringstream fields(all[static_cast<std::size_t>(i - 1)]);
    std::string source, target, text;
    fields >> source >> target;
    if (!readAll(source, text)) return 1;
    const double start = nowMs();
    copyText(owner, text);
    while (!fileHolds(target, text)) {
      if (nowMs() - start > 30000) return 1;
      pump(1);
    }
    char line[64];
    std::snprintf(line, sizeof line, "%d %.2f\n", i, nowMs() - start);
    out << line << std::flush;
    pump(static_cast<DWORD>(settle));
    if (i == pauseAt) {
      // The caller measures the programs at this point, then lets the copies go on.
      const std::wstring base(log.begin(), log.end());
      CloseHandle(CreateFileW((base + L".paused").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
      while (GetFileAttributesW((base + L".continue").c_str()) == INVALID_FILE_ATTRIBUTES)
        pump(50);
    }
  }
  return 0;
}

std::wstring utf8File(const std::string& path) {
  std::string bytes;
  if (!readAll(path, bytes) || bytes.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return wide;
}

void logLine(const std::string& log, const std::string& line) {
  std::ofstream(log, std::ios::app | std::ios::binary) << line << '\n' << std::flush;
}

bool stopRequested(const std::string& log) {
  const std::wstring stop = std::wstring(log.begin(), log.end()) + L".stop";
  return GetFileAttributesW(stop.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct LateSource {
  std::wstring text;
  int delay = 0;
  bool fail = false;
  std::string log;
};
LateSource* g_late = nullptr;

HGLOBAL globalCopy(const void* data, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  memcpy(GlobalLock(memory), data, size);
  GlobalUnlock(memory);
  return memory;
}

LRESULT CALLBACK lateProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_RENDERFORMAT && g_late) {
    const UINT format = static_cast<UINT>(wParam);
    const std::string name = format == CF_UNICODETEXT ? "CF_UNICODETEXT" : "CF_TEXT";
    logLine(g_late->log, "render " + name);
    // Busy, answering nothing, as a source making a large text is.
    Sleep(static_cast<DWORD>(g_late->delay));
    if (g_late->fail) {
      logLine(g_late->log, "failed " + name);
      return 0;
    }
    HGLOBAL data = nullptr;
    if (format == CF_UNICODETEXT) {
      data = globalCopy(g_late->text.c_str(), (g_late->text.size() + 1) * sizeof(wchar_t));
    } else if (format == CF_TEXT) {
      const int n =
          WideCharToMultiByte(932, 0, g_late->text.c_str(), -1, nullptr, 0, nullptr, nullptr);
      std::string bytes(static_cast<std::size_t>(n), '\0');
      WideCharToMultiByte(932, 0, g_late->text.c_str(), -1, bytes.data(), n, nullptr, nullptr);
      data = globalCopy(bytes.data(), bytes.size());
    }
    if (data && !SetClipboardData(format, data)) GlobalFree(data);
    logLine(g_late->log, "rendered " + name);
    return 0;
  }
  if (msg == WM_RENDERALLFORMATS) return 0;  // leaving: the offer goes with it
  return DefWindowProcW(w, msg, wParam, lParam);
}

int late(const std::string& textPath, int delay, const std::string& log, bool fail) {
  LateSource source{utf8File(textPath), delay, fail, log};
  g_late = &source;
  WNDCLASSW wc{};
  wc.lpfnWndProc = lateProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KolvexLateSource";
  RegisterClassW(&wc);
  HWND owner = CreateWindowW(L"KolvexLateSource", L"kolvex late source", 0, 0, 0, 1, 1,
                             HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  while (!OpenClipboard(owner))
    pump(1);
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, nullptr);
  SetClipboardData(CF_TEXT, nullptr);
  CloseClipboard();
  logLine(log, "offered");
  for (int waited = 0; !stopRequested(log) && waited < 600000; waited += 50)
    pump(50);
  g_late = nullptr;
  return 0;
}

int copyHold(HWND owner, const std::string& textPath, int hold, const std::string& log) {
  const std::wstring text = utf8File(textPath);
  while (!OpenClipboard(owner))
    pump(1);
  EmptyClipboard();
  HGLOBAL data = globalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  if (data && !SetClipboardData(CF_UNICODETEXT, data)) GlobalFree(data);
  CloseClipboard();
  // Another reader, right after the copy: opened again before anyone else can.
  while (!OpenClipboard(owner))
    Sleep(0);
  logLine(log, "held");
  Sleep(static_cast<DWORD>(hold));
  CloseClipboard();
  logLine(log, "released");
  // Still the owner: answer until told to go.
  for (int waited = 0; !stopRequested(log) && waited < 600000; waited += 50)
    pump(50);
  return 0;
}

int panelDrop(const std::wstring& cls, int limit) {
  HWND w = FindWindowW(cls.c_str(), nullptr);
  if (!w) return 1;
  const double start = nowMs();
  PostMessageW(w, WM_USER + 100, 1, WM_LBUTTONDOWN);
  for (;;) {
    RECT r;
    GetWindowRect(w, &r);
    const double elapsed = nowMs() - start;
    if (r.bottom - r.top > 50) {
      std::printf("%.0f\n", elapsed);
      return elapsed <= limit ? 0 : 1;
    }
    if (elapsed > 60000) return 1;
    Sleep(5);
  }
}

}  // namespace

// Does only what the program promises a copy: told of each change by the system, it opens the
// clipboard SETTLE_MS later (again every 5 ms while another program holds it). What it could not
// reach in time under the same Wine and load was out of any program's reach.
int reference(const std::string& log, const std::string& stopFile, int settleMs) {
  HWND w = CreateWindowW(L"STATIC", L"kolvex reference", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  if (!w || !AddClipboardFormatListener(w)) return 1;
  std::ofstream out(log);  // its appearance says the reader listens
  const std::wstring stop(stopFile.begin(), stopFile.end());
  double due = -1;
  while (GetFileAttributesW(stop.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_CLIPBOARDUPDATE)
        due = nowMs() + settleMs;
      else
        DispatchMessageW(&m);
    }
    if (due >= 0 && nowMs() >= due) {
      due = nowMs() + 5;
      if (OpenClipboard(w)) {
        out << GetClipboardSequenceNumber() << ' ' << epochMs() << std::endl;
        CloseClipboard();
        due = -1;
      }
    }
    const double left = due < 0 ? 50 : std::max(0.0, due - nowMs());
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
  }
  return 0;
}

int wmain(int argc, wchar_t** argv) {
  // Wine lets two openers that both pass no window hold the clipboard at once: own one.
  HWND owner = CreateWindowW(L"STATIC", L"kolvex copier", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  std::vector<std::string> a;
  a.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i)
    a.push_back(narrow(argv[i]));
  if (argc == 5 && a[1] == "burst") return burst(owner, a[2], std::stoi(a[3]), a[4]);
  if ((argc == 5 || argc == 6) && a[1] == "late")
    return late(a[2], std::stoi(a[3]), a[4], argc == 6 && a[5] == "fail");
  if (argc == 5 && a[1] == "reference") return reference(a[2], a[3], std::stoi(a[4]));
  if (argc == 5 && a[1] == "copy-hold") return copyHold(owner, a[2], std::stoi(a[3]), a[4]);
  if (argc == 4 && a[1] == "panel-drop") return panelDrop(argv[2], std::stoi(a[3]));
  if (argc == 8 && a[1] == "latency")
    return latency(owner, a[2], std::stoi(a[3]), std::stoi(a[4]), std::stoi(a[5]), std::stoi(a[6]),
                   a[7]);
  std::fputs(
      "usage: kolvex-copier burst LIST SPACING_MS LOG | latency LIST FROM TO SETTLE_MS PAUSE_AT "
      "LOG | late TEXT DELAY_MS LOG [fail] | copy-hold TEXT HOLD_MS LOG | panel-drop CLASS "
      "LIMIT_MS | reference LOG STOPFILE SETTLE_MS\n",
      stderr);
  return 2;
}
