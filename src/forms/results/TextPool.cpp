// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/results/TextPool.h"

#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

class Pool {
public:
    // `kind` keeps a Latin-1 text apart from the UTF-8 text of the same bytes.
    QString Find(char kind, std::string_view bytes) {
        std::string key(1, kind);
        key += bytes;
        std::lock_guard guard(lock_);
        const auto known = texts_.find(key);
        if (known != texts_.end())
            return known->second;
        const QString made = kind == 'l'
                                 ? QString::fromLatin1(bytes.data(), qsizetype(bytes.size()))
                                 : QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
        // A deque never moves what it holds: the characters stay where the
        // texts point.
        const std::u16string& kept = characters_.emplace_back(made.toStdU16String());
        QString pooled =
            QString::fromRawData(reinterpret_cast<const QChar*>(kept.data()), made.size());
        texts_.emplace(std::move(key), pooled);
        return pooled;
    }

private:
    std::mutex lock_;
    std::deque<std::u16string> characters_;
    std::unordered_map<std::string, QString> texts_;
};

Pool& ThePool() {
    // Never destroyed: texts of it may be copied until the very end.
    static Pool* const pool = new Pool;
    return *pool;
}

} // namespace

QString PooledLatin1(std::string_view latin1) {
    return ThePool().Find('l', latin1);
}

QString PooledUtf8(std::string_view utf8) {
    return ThePool().Find('u', utf8);
}
