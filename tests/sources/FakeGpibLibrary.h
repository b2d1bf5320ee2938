#pragma once

// Binds the stand-in GPIB library (FakeGpib.cpp) for the length of a test and
// gives the test its controls. Each test starts with a board, nothing open
// and no call counted.

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "GpibBinding.h"

class FakeGpibLibrary {
public:
    FakeGpibLibrary()
    {
        Gpib::setCandidateLibraries({FAKE_GPIB_PATH});
        // The same loaded image as the binding's: dlopen counts references.
        handle_ = ::dlopen(FAKE_GPIB_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) throw std::runtime_error("cannot load " FAKE_GPIB_PATH);
        entry<void (*)()>("fake_reset")();
    }
    ~FakeGpibLibrary()
    {
        entry<void (*)()>("fake_reset")();
        Gpib::setCandidateLibraries({});
        ::dlclose(handle_);
    }
    FakeGpibLibrary(const FakeGpibLibrary&) = delete;
    FakeGpibLibrary& operator=(const FakeGpibLibrary&) = delete;

    void setStatus(int status, int error) { entry<void (*)(int, int)>("fake_set_status")(status, error); }
    void setAnswer(const std::string& bytes)
    {
        entry<void (*)(const char*, int)>("fake_set_answer")(bytes.data(), static_cast<int>(bytes.size()));
    }
    void setStatusByte(int value) { entry<void (*)(int)>("fake_set_status_byte")(value); }
    void setPollStatus(int status, int error) { entry<void (*)(int, int)>("fake_set_poll_status")(status, error); }
    std::string lastWrite() { return entry<const char* (*)()>("fake_last_write")(); }
    int lastPad() { return entry<int (*)()>("fake_last_pad")(); }
    int polls() { return calls("ibrsp"); }
    // linux-gpib with no board: ibdev fails with EDVR and ENOENT.
    void setBoard(bool present) { entry<void (*)(int)>("fake_set_board")(present ? 1 : 0); }
    // Calls of one entry, and of all entries together.
    int calls(const char* name) { return entry<int (*)(const char*)>("fake_calls")(name); }
    int totalCalls() { return entry<int (*)()>("fake_total_calls")(); }
    int openDevices() { return entry<int (*)()>("fake_open_devices")(); }
    // Primary addresses outside 0..30 that reached ibdev.
    int badAddresses() { return entry<int (*)()>("fake_bad_addresses")(); }

private:
    template <typename F>
    F entry(const char* name)
    {
        auto f = reinterpret_cast<F>(::dlsym(handle_, name));
        if (f == nullptr) throw std::runtime_error(name);
        return f;
    }
    void* handle_ = nullptr;
};
