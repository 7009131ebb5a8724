#pragma once
// Long work with the program kept responsive: the work runs on a worker
// thread while the main thread shows a busy cursor and goes on painting and
// serving timers. User input waits until the work is done, so nothing can
// change the data the work reads.

#include <functional>

namespace ivra {

// Runs work and returns when it is done; an exception it throws is rethrown
// here, in the main thread.
void RunBusy(const std::function<void()>& work);

// True while RunBusy waits for its work: windows refuse to close meanwhile.
bool IsBusy();

} // namespace ivra
