#include "line_list.hpp"

namespace scenery_bake_determinism {

LineList::LineList(std::initializer_list<std::string_view> lines) {
    std::size_t bytes = 0;
    for (const auto line : lines) bytes += line.size() + 1;
    text_.reserve(bytes);
    ends_.reserve(lines.size());
    for (const auto line : lines) push_back(line);
}

void LineList::reserve(std::size_t lines, std::size_t bytes_each) {
    text_.reserve(text_.size() + lines * (bytes_each + 1));
    ends_.reserve(ends_.size() + lines);
}

void LineList::push_back(std::string_view line) {
    text_ += line;
    text_ += '\n';
    ends_.push_back(text_.size());
}

}  // namespace scenery_bake_determinism
