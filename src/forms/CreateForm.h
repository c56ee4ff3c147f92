// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CreateForm<T>(args...): creates one window of the start-up sequence. The
// constructor only lays the window out; the window's FormCreate(), when it
// has one, runs next under the guard, so an error raised while a window is
// created reaches the error report and start-up goes on with the window.
#include "forms/support/Guard.h"

#include <utility>

template <class T, class... Args> T* CreateForm(Args&&... args) {
    T* form = new T(std::forward<Args>(args)...);
    if constexpr (requires { form->FormCreate(); })
        RunGuarded([form] { form->FormCreate(); });
    return form;
}
