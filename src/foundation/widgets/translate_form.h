#pragma once
// Translating a window: captions and hints of its controls from their Tag text numbers.
//
// Class mapping: push buttons, labels, radio buttons, group boxes and check boxes get caption
// text Tag; tool buttons and image labels get hint text Tag as their tool tip (with its leading
// "@", which the hint window strips). An image is a QLabel marked with mark_as_image.

class QLabel;
class QObject;
class QWidget;

// Marks a label as a picture (the dynamic property "Image" set to true): translate_form gives it
// a hint instead of a caption.
void mark_as_image(QLabel* label);
bool is_image(const QObject* object);

// Sets the texts of every descendant of the form whose Tag is not 0, in creation order.
// Controls of other classes and the form's own title are left alone.
void translate_form(QWidget* form);
