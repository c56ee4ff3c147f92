// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A yes/no question before something the user may not want after all
// ("Look up the host names of 2,500 rows?"): a question box with Yes and No,
// No the default, captioned with the application title. Modal; true for Yes.
#include <QString>
#include <functional>

bool AskYesNo(const QString& question);

// Tests answer the question themselves with a sink; an empty function
// restores the box.
void SetQuestionSink(std::function<bool(const QString&)> sink);
