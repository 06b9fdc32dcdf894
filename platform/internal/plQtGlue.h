// Private to platform/: the Qt side of window handles and the application.
#pragma once

#include "platform/plMessages.h"

#include <QEvent>
#include <QObject>
#include <QString>

class QWidget;

// A window handle: a receiver object on its thread, and the method that handles messages.
// Controls also record their widget here.
struct HWND__ {
    QObject* receiver = nullptr;
    TWndMethod method;
    QWidget* widget = nullptr;
    TObject* control = nullptr;
};

namespace xo::qt {

// The event that carries a posted TMessage.
class MessageEvent : public QEvent {
public:
    static QEvent::Type EventType();
    explicit MessageEvent(const TMessage& aMsg) : QEvent(EventType()), msg(aMsg) {}
    TMessage msg;
};

// Registers a handle for an existing receiver (a control's widget, for instance), so that
// messages posted to it are delivered through aMethod. The receiver must pass MessageEvents
// on to DeliverMessage from its event() override.
HWND RegisterHandle(QObject* aReceiver, TWndMethod aMethod);
void UnregisterHandle(HWND aWnd);
// Runs the handle's method on the message; called on the receiver's thread.
void DeliverMessage(HWND aWnd, TMessage& aMsg);

// Makes sure a QApplication exists (creating one, offscreen when there is no display).
void EnsureQtApplication();

inline QString ToQString(const String& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
inline String FromQString(const QString& s) { return s.toUtf8().toStdString(); }

} // namespace xo::qt
