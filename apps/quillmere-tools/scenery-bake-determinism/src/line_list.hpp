#pragma once

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

namespace scenery_bake_determinism {

// A list of text lines kept as one text: every line followed by a line feed,
// which is exactly a landblock file's content. A run holds all its lines
// until the runs are compared, so they live in one buffer per landblock
// instead of one allocation per line, and writing a file needs no joining.
class LineList {
public:
    LineList() = default;
    // A list whose text is kept in `memory`, which must outlive it.
    explicit LineList(std::pmr::memory_resource* memory) : text_(memory), ends_(memory) {}
    LineList(std::initializer_list<std::string_view> lines);

    // Room for `lines` more lines of about `bytes_each` bytes.
    void reserve(std::size_t lines, std::size_t bytes_each);

    void push_back(std::string_view line);

    [[nodiscard]] std::size_t size() const noexcept { return ends_.size(); }
    [[nodiscard]] bool empty() const noexcept { return ends_.empty(); }

    // Line `index`, without its line feed.
    [[nodiscard]] std::string_view operator[](std::size_t index) const noexcept {
        const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
        return std::string_view(text_).substr(begin, ends_[index] - 1 - begin);
    }

    // Every line followed by a line feed.
    [[nodiscard]] std::string_view text() const noexcept { return text_; }

    class const_iterator {
    public:
        using iterator_concept = std::forward_iterator_tag;
        using iterator_category = std::input_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        const_iterator(const LineList* list, std::size_t index) : list_(list), index_(index) {}
        std::string_view operator*() const noexcept { return (*list_)[index_]; }
        const_iterator& operator++() noexcept {
            ++index_;
            return *this;
        }
        const_iterator operator++(int) noexcept {
            const_iterator before = *this;
            ++index_;
            return before;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) noexcept {
            return a.index_ == b.index_;
        }

    private:
        const LineList* list_ = nullptr;
        std::size_t index_ = 0;
    };

    [[nodiscard]] const_iterator begin() const noexcept { return {this, 0}; }
    [[nodiscard]] const_iterator end() const noexcept { return {this, size()}; }

    // Equal lists hold the same lines: the same text cut at the same places.
    friend bool operator==(const LineList&, const LineList&) = default;

private:
    std::pmr::string text_;
    std::pmr::vector<std::size_t> ends_;  // one past each line's line feed
};

}  // namespace scenery_bake_determinism
