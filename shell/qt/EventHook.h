// Hooks one kind of event on a Qt object, so that a plain routine can answer
// it without a subclass of the object. `handler` sees the event before the
// object does; returning true stops it there. The hook lives as long as the
// object.
#pragma once

#include <QEvent>
#include <QObject>

#include <functional>

void HookEvent(QObject* target, QEvent::Type type, std::function<bool(QEvent*)> handler);
