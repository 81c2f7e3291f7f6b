// Starts a program under an X server and watches it from outside: the time
// from exec to the mapping of its first top-level window, the time to the
// first drawing into that window (an X DAMAGE report; Qt's windows have no
// background the server would paint, so the first damage is the program's
// own first frame), the processor time its threads had used by then, and
// its resident memory a while after that. The program itself carries no
// marker.
//
//   first_paint_watch [--settle-ms N] [--timeout-ms N] -- program [args...]
//
// Prints one line: map_ms=... paint_ms=... cpu_ms=... rss_kb=... width=... height=...
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <set>
#include <string>

namespace {

double NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

long ResidentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

// Processor time of all the process's threads so far, in nanosecond steps
// (schedstat), which a busy machine stretches far less than wall time.
double CpuMs(pid_t pid) {
  const std::string dir = "/proc/" + std::to_string(pid) + "/task";
  DIR* tasks = opendir(dir.c_str());
  if (!tasks) return -1;
  double ns = 0;
  while (dirent* t = readdir(tasks)) {
    if (t->d_name[0] == '.') continue;
    std::ifstream stat(dir + "/" + t->d_name + "/schedstat");
    double onCpu = 0;
    if (stat >> onCpu) ns += onCpu;
  }
  closedir(tasks);
  return ns / 1e6;
}

// Windows that vanish between an event and our request are not an error here.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

int Usage() {
  std::fprintf(stderr, "usage: first_paint_watch [--settle-ms N] [--timeout-ms N] -- program [args...]\n");
  return 2;
}

struct Options {
  int settleMs = 1000;
  int timeoutMs = 20000;
  char** command = nullptr;
};

bool ReadOptions(int argc, char** argv, Options* o) {
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (i + 1 >= argc) return false;
    if (!std::strcmp(argv[i], "--settle-ms"))
      o->settleMs = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--timeout-ms"))
      o->timeoutMs = std::atoi(argv[++i]);
    else
      return false;
  }
  if (i + 1 >= argc) return false;
  o->command = argv + i + 1;
  return true;
}

// What was seen of the program's first window, in ms from exec.
struct Sighting {
  double mapMs = -1, paintMs = -1, cpuMs = -1;
  int width = 0, height = 0;
};

// Reads X events until the first window the program maps is drawn into or
// the time is up (paintMs stays negative); false when the program ended
// before that.
bool WatchFirstPaint(Display* dpy, int damageEvent, pid_t pid, double start, int timeoutMs, Sighting* s) {
  std::set<Window> created;
  Window shown = None;
  while (s->paintMs < 0) {
    if (!XPending(dpy)) {
      const int left = int(start + timeoutMs - NowMs());
      pollfd p{ConnectionNumber(dpy), POLLIN, 0};
      if (left <= 0 || poll(&p, 1, left) <= 0) return true;
      if (waitpid(pid, nullptr, WNOHANG) == pid) return false;
      continue;
    }
    XEvent e;
    XNextEvent(dpy, &e);
    const double now = NowMs();
    if (e.type == CreateNotify && e.xcreatewindow.parent == DefaultRootWindow(dpy)) {
      // Watched from creation on, so a first frame drawn right on mapping is
      // not missed.
      XDamageCreate(dpy, e.xcreatewindow.window, XDamageReportNonEmpty);
      created.insert(e.xcreatewindow.window);
    } else if (e.type == MapNotify && shown == None && created.count(e.xmap.window)) {
      XWindowAttributes a;
      if (XGetWindowAttributes(dpy, e.xmap.window, &a) && a.c_class == InputOutput) {
        shown = e.xmap.window;
        s->mapMs = now - start;
        s->width = a.width;
        s->height = a.height;
      }
    } else if (e.type == damageEvent + XDamageNotify) {
      const auto* d = reinterpret_cast<XDamageNotifyEvent*>(&e);
      if (d->drawable == shown) {
        s->paintMs = now - start;
        s->cpuMs = CpuMs(pid);
      }
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ReadOptions(argc, argv, &o)) return Usage();

  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    std::fprintf(stderr, "first_paint_watch: cannot open display\n");
    return 1;
  }
  int damageEvent = 0, damageError = 0;
  if (!XDamageQueryExtension(dpy, &damageEvent, &damageError)) {
    std::fprintf(stderr, "first_paint_watch: the X server has no DAMAGE extension\n");
    return 1;
  }
  XSetErrorHandler(IgnoreXError);
  fcntl(ConnectionNumber(dpy), F_SETFD, FD_CLOEXEC);
  XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
  XSync(dpy, False);

  const double start = NowMs();
  const pid_t pid = fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    execvp(o.command[0], o.command);
    std::perror("first_paint_watch: exec");
    _exit(127);
  }

  Sighting s;
  if (!WatchFirstPaint(dpy, damageEvent, pid, start, o.timeoutMs, &s)) {
    std::fprintf(stderr, "first_paint_watch: the program ended before painting\n");
    return 1;
  }
  if (s.paintMs < 0) {
    std::fprintf(stderr, "first_paint_watch: no window painted within %d ms\n", o.timeoutMs);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return 1;
  }

  usleep(useconds_t(o.settleMs) * 1000);
  const long rss = ResidentKb(pid);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  std::printf("map_ms=%.1f paint_ms=%.1f cpu_ms=%.1f rss_kb=%ld width=%d height=%d\n", s.mapMs, s.paintMs, s.cpuMs, rss,
              s.width, s.height);
  XCloseDisplay(dpy);
  return 0;
}
