#pragma once

// Binds the stand-in GPIB library (FakeGpib.cpp) for the length of a test and
// gives the test its controls.

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
    }
    ~FakeGpibLibrary()
    {
        setPollStatus(0x0100, 0);
        setStatus(0x0100, 0);
        setStatusByte(0x41);
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
    int polls() { return entry<int (*)()>("fake_polls")(); }

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
