// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts that recur across many rows (country, region and city names,
// organisations), kept once for the program's life. A text from the pool
// refers to the pool's characters without counting references: copying it
// costs nothing, so a million rows that name one country never touch a
// common counter (which, shared between threads and spread over the
// memory, made copying a row the dearest part of a big run). The pool
// only grows, by the distinct texts the databases hold; any thread may use
// it.
//
//     row.city = PooledLatin1(record.City);
#include <QString>
#include <string_view>

QString PooledLatin1(std::string_view latin1);
QString PooledUtf8(std::string_view utf8);
