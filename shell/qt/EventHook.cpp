#include "shell/qt/EventHook.h"

namespace {

// The one subclass the hooks need: Qt delivers events to filters only
// through an overridden QObject::eventFilter.
class EventHookFilter final : public QObject {
 public:
  EventHookFilter(QObject* target, QEvent::Type type, std::function<bool(QEvent*)> handler)
      : QObject(target), type_(type), handler_(std::move(handler)) {}

  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    return event->type() == type_ && handler_(event);
  }

 private:
  QEvent::Type type_;
  std::function<bool(QEvent*)> handler_;
};

}  // namespace

void HookEvent(QObject* target, QEvent::Type type, std::function<bool(QEvent*)> handler) {
  target->installEventFilter(new EventHookFilter(target, type, std::move(handler)));
}
