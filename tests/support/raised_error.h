#pragma once

#include "platform/core/runtime_error.h"

#include <optional>

// The run-time error an action raises, if any.
template <typename Action> std::optional<core::RuntimeError> raisedBy(Action&& action) {
    try {
        action();
    } catch (const core::RuntimeError& error) {
        return error;
    }
    return std::nullopt;
}

// The code of the error an action raises; a code no error has when it raises none.
template <typename Action> core::ErrorCode errorOf(Action&& action) {
    const auto error = raisedBy(action);
    return error ? error->code() : core::ErrorCode{};
}

template <typename Action> QString descriptionOf(Action&& action) {
    const auto error = raisedBy(action);
    return error ? error->description() : QString();
}
