// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A plain notice for an outcome that is no error ("No addresses found"):
// an information box with one OK button, captioned with the application
// title. Modal; returns when answered.
#include <QString>
#include <functional>

void ShowNotice(const QString& message);

// Tests replace the box with a sink that records the message; an empty
// function restores the box.
void SetNoticeSink(std::function<void(const QString&)> sink);
