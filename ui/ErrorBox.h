#pragma once
// The standard error box for errors that escape an event handler, and the guard that catches
// them at the handler boundary so that the program goes on.

#include <QString>
#include <exception>
#include <functional>
#include <type_traits>

class QWidget;

namespace tavlex {

// Shows `message` in the standard error box (or hands it to the reporter installed by tests).
void ShowErrorBox(QWidget* parent, const QString& message);
// Tests replace the modal box with a recorder; an empty function restores the box.
void SetErrorBoxReporter(std::function<void(const QString&)> reporter);

// Wraps a handler so that an exception escaping it ends only that handler.
template <class F>
auto Guarded(QWidget* parent, F f) {
  return [parent, f](auto&&... args) {
    try {
      // Handlers that take no arguments ignore what the signal carries.
      if constexpr (std::is_invocable_v<const F&, decltype(args)...>)
        f(args...);
      else
        f();
    } catch (const std::exception& e) {
      ShowErrorBox(parent, QString::fromLocal8Bit(e.what()));
    } catch (...) {
      ShowErrorBox(parent, QStringLiteral("Unknown error"));
    }
  };
}

}  // namespace tavlex
