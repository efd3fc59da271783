#pragma once

#include <quillmere/dat/error/dat_error.hpp>
#include <quillmere/dat/error/io_error.hpp>
#include <quillmere/dat/error/read_error.hpp>

#include <string>
#include <vector>

namespace scenery_bake_determinism {

// The tool's error: a chain of messages, outermost first. Context is added
// where it is known and the wrapped error's own text and causes follow it
// unchanged ("open portal" -> the archive error -> the system error).
class ToolError {
public:
    explicit ToolError(std::string message) { chain_.push_back(std::move(message)); }

    static ToolError wrap(std::string context, const quillmere_dat::error::DatError& cause);
    static ToolError wrap(std::string context, const quillmere_dat::error::ReadError& cause);
    static ToolError wrap(std::string context, const quillmere_dat::error::IoError& cause);
    // `context` over the whole chain of `cause`.
    static ToolError wrap(std::string context, const ToolError& cause);

    [[nodiscard]] const std::vector<std::string>& chain() const noexcept { return chain_; }
    [[nodiscard]] const std::string& message() const noexcept { return chain_.front(); }

    // The report printed on exit: "Error: {message}", then, when there are
    // causes, a blank line, "Caused by:" and one line per cause, innermost
    // last (a single cause indented by four blanks, several numbered), with
    // the lines inside a cause indented to match. Ends with a line break.
    [[nodiscard]] std::string report() const;

private:
    std::vector<std::string> chain_;
};

}  // namespace scenery_bake_determinism
