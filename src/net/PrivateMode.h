// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's private mode, one switch for every layer that could send
// something the user did not ask for by name: reverse lookups of located
// addresses, pasted rows and route hops, and the refresh of RDAP bootstrap
// files. Read at the moment of each send, from any thread, so switching it
// on stops what is under way before its next query.

namespace orvanta::net {

void SetPrivateMode(bool on);
bool PrivateMode();

} // namespace orvanta::net
