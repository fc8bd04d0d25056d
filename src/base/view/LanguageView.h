#pragma once

#include <QList>
#include <QString>

class QGroupBox;
class QMainWindow;
class QObject;
class QRadioButton;
class CTextSlots;

// Applies `language` to the whole main window, in order: the text textSlots, the
// menus (with the language checks), the hints, then the control texts — the
// window caption (slot 0, seven blanks, the current file name), the external
// monitor's caption, tab sheets, group boxes, labels, check boxes, buttons,
// radio-group items and the live labels' placeholders.
//
// Controls are found by Qt object name among the window's descendants; a
// listed control that does not exist is skipped. How a caption is set
// depends on the object: a page of a QTabWidget gets its tab text, a QMenu
// its title, a QGroupBox its title, a QAction, QLabel or QAbstractButton its
// text.
void ApplyLanguageToWindow(QMainWindow& window, CTextSlots& textSlots, int language);

// The control-text step alone (window caption onwards), for when the link
// asks for it after reopening the port.
void ApplyControlTextsToWindow(QMainWindow& window, const CTextSlots& textSlots, int language);

// The caption as ApplyLanguageToWindow sets it (empty for an object that has none).
QString ControlCaption(const QObject* object);
void SetControlCaption(QObject* object, const QString& text);

// The items of a radio group (a QGroupBox named "RadioGroup..."): its
// QRadioButton descendants in child order, i.e. in the order they were
// created. When a QButtonGroup inside the group box gives every one of them
// a distinct id of 0 or more, the ids give the order instead.
QList<QRadioButton*> RadioGroupButtons(const QGroupBox* group);
