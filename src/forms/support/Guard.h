// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every handler is connected through this guard, so no exception ever
// unwinds through Qt's event loop:
//
//     connect(button, &QAbstractButton::clicked, this, Guarded([this] { Button1Click(); }));
//
// A handler that fires another calls it directly (not through the guard), so
// an error ends both and reaches the report once. Use RunGuarded for code run
// outside a signal, such as creating a window at start-up.
#include "forms/support/ErrorReport.h"

#include <exception>
#include <type_traits>
#include <utility>

template <typename F> void RunGuarded(F&& f) noexcept {
    try {
        std::forward<F>(f)();
    } catch (const std::exception& e) {
        ShowErrorReport(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorReport(QStringLiteral("Unknown error"));
    }
}

// Wraps a handler for QObject::connect. The signal's arguments are passed on
// when the handler takes them; a handler without parameters ignores them.
template <typename F> auto Guarded(F f) {
    return [f = std::move(f)](auto&&... args) {
        RunGuarded([&] {
            if constexpr (std::is_invocable_v<const F&, decltype(args)...>)
                f(std::forward<decltype(args)>(args)...);
            else
                f();
        });
    };
}
