#include "foundation/widgets/memo_box.h"

#include <QMimeData>

bool TMemoBox::canInsertFromMimeData(const QMimeData* source) const {
    return source && source->hasText() && !source->text().isEmpty();
}

void TMemoBox::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || !canInsertFromMimeData(source))
        return;
    insertPlainText(source->text());
    ensureCursorVisible();
}
