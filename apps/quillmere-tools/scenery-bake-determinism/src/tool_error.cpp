#include "tool_error.hpp"

#include <cstdio>

namespace scenery_bake_determinism {

namespace {

// Every line break inside a cause is followed by the indent, also where the
// next line is empty or the text ends with a line break.
std::string indent_lines(const std::string& text, const std::string& indent) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        out += c;
        if (c == '\n') out += indent;
    }
    return out;
}

}  // namespace

ToolError ToolError::wrap(std::string context, const quillmere_dat::error::DatError& cause) {
    ToolError error(std::move(context));
    error.chain_.push_back(cause.display());
    if (const auto source = cause.source()) error.chain_.push_back(quillmere_dat::error::display(*source));
    return error;
}

ToolError ToolError::wrap(std::string context, const quillmere_dat::error::ReadError& cause) {
    ToolError error(std::move(context));
    error.chain_.push_back(cause.display());
    return error;
}

ToolError ToolError::wrap(std::string context, const quillmere_dat::error::IoError& cause) {
    ToolError error(std::move(context));
    error.chain_.push_back(cause.display());
    return error;
}

ToolError ToolError::wrap(std::string context, const ToolError& cause) {
    ToolError error(std::move(context));
    error.chain_.insert(error.chain_.end(), cause.chain_.begin(), cause.chain_.end());
    return error;
}

std::string ToolError::report() const {
    std::string out = "Error: " + chain_.front();
    if (chain_.size() > 1) {
        out += "\n\nCaused by:";
        const bool numbered = chain_.size() > 2;
        for (std::size_t i = 1; i < chain_.size(); ++i) {
            out += "\n";
            if (numbered) {
                char label[32];
                std::snprintf(label, sizeof label, "%5zu: ", i - 1);
                out += label;
                out += indent_lines(chain_[i], std::string(7, ' '));
            } else {
                out += "    ";
                out += indent_lines(chain_[i], std::string(4, ' '));
            }
        }
    }
    out += "\n";
    return out;
}

}  // namespace scenery_bake_determinism
