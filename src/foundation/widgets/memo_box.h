#pragma once
// A multi-line text box that takes plain text only.

#include <QPlainTextEdit>

// Pasting (Ctrl+V, Shift+Insert, a middle click, the context menu or a drop) inserts the plain
// text of what is offered and does nothing when it holds none. QPlainTextEdit's own paste reads
// the first format offered without checking there is one, and on X a clipboard or selection that
// no program owns offers none: with nothing copied yet in the session, it crashed.
class TMemoBox : public QPlainTextEdit {
public:
    explicit TMemoBox(QWidget* parent = nullptr) : QPlainTextEdit(parent) {}

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
