#pragma once

#include <expected>
#include <utility>

// Propagation for std::expected: evaluates to the value, or returns the error
// from the enclosing function. Keeps decoders at one line per field.
//
//     auto id = QM_TRY(reader.read_u32());
//     QM_TRY_VOID(utils::align_to_4(reader));
//
// A GNU statement expression (GCC and Clang); `__extension__` keeps
// -Wpedantic quiet about it.
#define QM_TRY(expr)                                                  \
    __extension__({                                                   \
        auto&& qm_try_result_ = (expr);                               \
        if (!qm_try_result_.has_value()) [[unlikely]]                 \
            return std::unexpected(std::move(qm_try_result_).error()); \
        std::move(qm_try_result_).value();                            \
    })

#define QM_TRY_VOID(expr)                                             \
    do {                                                              \
        auto&& qm_try_result_ = (expr);                               \
        if (!qm_try_result_.has_value()) [[unlikely]]                 \
            return std::unexpected(std::move(qm_try_result_).error()); \
    } while (false)
