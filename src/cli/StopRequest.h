#pragma once

// Ctrl-C during a measurement is the stop button. While a StopRequest
// lives, SIGINT and SIGTERM only set an atomic flag (nothing else is safe
// in a signal handler); the run looks at it between messages and passes it
// on as the thread's cancel request. The previous handlers come back when
// the object goes.

#include <signal.h>

class StopRequest {
public:
    StopRequest();
    ~StopRequest();
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    // True once a signal arrived.
    bool requested() const;

private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};
