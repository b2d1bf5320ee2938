#pragma once

// Messages that need the user's attention (the platform's message boxes).
// The core only reports them; the window installs a presenter that shows a
// modal box with the caption, the command-line tool prints them on stderr.

#include <functional>
#include <string>

namespace UserMessages {

enum class Severity { Information, Warning, Error };

using Presenter = std::function<void(Severity, const std::string& caption, const std::string& text)>;

// Replaces the presenter; an empty one restores the default (stderr).
void setPresenter(Presenter presenter);

void show(Severity severity, const std::string& caption, const std::string& text);

}  // namespace UserMessages
