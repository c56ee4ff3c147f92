// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Page text kept in a resource file and filled in by name. The file is a
// series of fragments, each starting with a line "<!--#name-->". In a
// fragment, "{{key}}" takes a value as text (HTML-escaped) and "{{{key}}}"
// takes it as markup the program built from other fragments; a key without
// a value is left empty. So every text from outside is escaped unless a
// fragment explicitly says otherwise.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvanta::rdap {

class PageTemplate {
public:
    using Values = std::vector<std::pair<std::string_view, std::string_view>>;

    explicit PageTemplate(std::string_view text);

    // The web whois page's fragments (DomainPage.html, built in).
    static const PageTemplate& DomainPage();

    // Fragment `name` with its keys filled in; throws std::logic_error for a
    // fragment the file lacks.
    std::string Fill(std::string_view name, const Values& values) const;

private:
    std::map<std::string, std::string, std::less<>> fragments_;
};

} // namespace orvanta::rdap
