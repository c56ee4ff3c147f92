// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TColumnFit: keeps a table's columns within its width, so that at any
// size every column shows without scrolling sideways. The first column
// takes what the others leave (at least `minimumFirst` pixels); when the
// others alone would not leave that, they shrink in proportion. The user
// can still drag every column: a column dragged keeps that width, and the
// first column gives or takes the difference.
//
//     new TColumnFit(ListView1, {0, 100, 75, 75, 170, 150, 55});
#include <QObject>
#include <vector>

class QTableView;

class TColumnFit : public QObject {
    Q_OBJECT
public:
    // `widths`: what each column gets where there is room (the first one's
    // is not used); columns added later start at the width they come with.
    TColumnFit(QTableView* view, std::vector<int> widths, int minimumFirst = 120);
    void Fit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Dragged(int column, int width);

    QTableView* view_;
    std::vector<int> wanted_;
    int minimumFirst_;
    bool fitting_ = false;
};
