// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The default error report: what the user sees when a handler fails. Call
// ShowErrorReport(message) from the one place that catches (see Guard.h);
// the program then runs on.
#include <QString>
#include <functional>

// The message as shown: "." appended when it is not empty and its last
// character sorts after ".".
QString ErrorReportText(const QString& message);

// A critical message box with one OK button, captioned with the application
// title, showing ErrorReportText(message). Modal; returns when answered.
void ShowErrorReport(const QString& message);

// Tests replace the message box with a sink that records the message (the
// raw one, before ErrorReportText). An empty function restores the box.
void SetErrorReportSink(std::function<void(const QString&)> sink);
