#pragma once
// The Tag of a control or menu action: its caption, hint or menu text number, kept as the
// dynamic property "Tag" (int) of the object. 0 means "no text number".

#include <QObject>
#include <QVariant>

inline void set_tag(QObject* object, int tag) {
    object->setProperty("Tag", tag);
}

inline int tag_of(const QObject* object) {
    return object->property("Tag").toInt();
}
