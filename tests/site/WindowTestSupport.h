// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the window tests of the site component: the fake maps API on
// the default profile, the one the program's windows use.

#include "FakeMapsApi.h"

FakeMapsApi& defaultProfileFake();
