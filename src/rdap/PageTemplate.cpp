// SPDX-License-Identifier: GPL-3.0-or-later
#include "rdap/PageTemplate.h"

#include "webwhois/WebWhoisPage.h"

#include <stdexcept>

namespace orvanta::rdap {

extern const std::string_view kDomainPageTemplate; // generated from DomainPage.html

namespace {

constexpr std::string_view kStart = "<!--#";
constexpr std::string_view kEnd = "-->";

std::string_view ValueOf(const PageTemplate::Values& values, std::string_view key) {
    for (const auto& [name, value] : values) {
        if (name == key) {
            return value;
        }
    }
    return {};
}

} // namespace

PageTemplate::PageTemplate(std::string_view text) {
    std::size_t at = text.find(kStart);
    while (at != std::string_view::npos) {
        const std::size_t nameStart = at + kStart.size();
        const std::size_t nameEnd = text.find(kEnd, nameStart);
        if (nameEnd == std::string_view::npos) {
            break;
        }
        std::size_t bodyStart = nameEnd + kEnd.size();
        if (bodyStart < text.size() && text[bodyStart] == '\n') {
            ++bodyStart;
        }
        const std::size_t next = text.find(kStart, bodyStart);
        std::string_view body = text.substr(bodyStart, next - bodyStart);
        while (!body.empty() && body.back() == '\n') {
            body.remove_suffix(1);
        }
        fragments_.emplace(std::string(text.substr(nameStart, nameEnd - nameStart)), body);
        at = next;
    }
}

const PageTemplate& PageTemplate::DomainPage() {
    static const PageTemplate page(kDomainPageTemplate);
    return page;
}

std::string PageTemplate::Fill(std::string_view name, const Values& values) const {
    const auto fragment = fragments_.find(name);
    if (fragment == fragments_.end()) {
        throw std::logic_error("the page template has no fragment \"" + std::string(name) + "\"");
    }
    const std::string& text = fragment->second;
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find("{{", at);
        if (open == std::string::npos) {
            break;
        }
        const bool markup = text.compare(open, 3, "{{{") == 0;
        const std::string_view closer = markup ? "}}}" : "}}";
        const std::size_t keyStart = open + (markup ? 3 : 2);
        const std::size_t close = text.find(closer, keyStart);
        if (close == std::string::npos) {
            break;
        }
        out.append(text, at, open - at);
        const std::string_view value =
            ValueOf(values, std::string_view(text).substr(keyStart, close - keyStart));
        out += markup ? std::string(value) : webwhois::htmlEscape(value);
        at = close + closer.size();
    }
    out.append(text, at, std::string::npos);
    return out;
}

} // namespace orvanta::rdap
