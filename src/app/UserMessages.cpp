#include "UserMessages.h"

#include <cstdio>
#include <mutex>

namespace UserMessages {
namespace {
// Protects the presenter, which any thread may use.
std::mutex g_mutex;
Presenter g_presenter;
}  // namespace

void setPresenter(Presenter presenter)
{
    std::lock_guard lock(g_mutex);
    g_presenter = std::move(presenter);
}

void show(Severity severity, const std::string& caption, const std::string& text)
{
    Presenter presenter;
    {
        std::lock_guard lock(g_mutex);
        presenter = g_presenter;
    }
    if (presenter) {
        presenter(severity, caption, text);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace UserMessages
