#include "LineAssembler.h"

#include <cstring>

void LineAssembler::complete()
{
    Line line;
    if (discarding_) {
        line.overlong = true;
        discarding_ = false;
    } else {
        if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
        if (partial_.size() > maxLineBytes) {
            line.overlong = true;
        } else {
            line.text = std::move(partial_);
        }
    }
    partial_.clear();
    // Each line counts its line end too: empty lines by the million are held bytes as well.
    heldBytes_ += line.text.size() + 1;
    lines_.push_back(std::move(line));
}

void LineAssembler::append(const char* data, std::size_t size)
{
    while (size > 0) {
        const char* end = static_cast<const char*>(std::memchr(data, '\n', size));
        const std::size_t piece = end != nullptr ? static_cast<std::size_t>(end - data) : size;
        if (!discarding_) {
            // One byte beyond the limit for the "\r" of a line ended by "\r\n".
            if (partial_.size() + piece > maxLineBytes + 1) {
                discarding_ = true;
                partial_.clear();
                partial_.shrink_to_fit();
            } else {
                partial_.append(data, piece);
            }
        }
        if (end == nullptr) return;
        complete();
        data += piece + 1;
        size -= piece + 1;
    }
}

bool LineAssembler::next(Line& line)
{
    if (lines_.empty()) return false;
    line = std::move(lines_.front());
    lines_.pop_front();
    heldBytes_ -= line.text.size() + 1;
    return true;
}

bool LineAssembler::finish(Line& line)
{
    if (partial_.empty() && !discarding_) return false;
    complete();
    return next(line);
}
