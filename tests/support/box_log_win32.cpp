// With the real MessageBoxA a box is a window of this process, read and
// dismissed by a watcher thread while the action blocks in it.
#include "tests/support/box_log.h"

#include "tests/support/box_watch_win32.h"

std::vector<ShownBox> RecordBoxes(const std::function<void()>& action) {
    BoxWatch watch;
    StartBoxWatch(watch, GetCurrentProcessId(), nullptr);
    action();
    return StopBoxWatch(watch);
}
