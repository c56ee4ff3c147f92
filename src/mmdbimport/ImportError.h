// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one kind of failure the importer raises: the source cannot be read, has
// a shape we do not understand, or cannot be expressed in the legacy format.
// The message names the file, the place and what is wrong.

#include <stdexcept>

namespace orvanta::mmdbimport {

class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace orvanta::mmdbimport

namespace orvanta::mmdbimport {

// The source holds nothing for the family asked for (an IPv4 database asked
// for IPv6 networks, or an empty part): a caller building both families may
// go on with the other.
class NoFamilyDataError : public ImportError {
public:
    using ImportError::ImportError;
};

} // namespace orvanta::mmdbimport
