#pragma once
// Checks an edit's text each time the focus leaves it for another control of its window (not
// when the whole window loses the focus). A text the check refuses brings the focus back to the
// edit. The check runs once the focus has settled, so that the message box it may show does
// not cut into the change of focus.

#include <functional>
#include <string>

class QLineEdit;

namespace kestrin {

void checkOnLeaving(QLineEdit* edit, std::function<bool(const std::string&)> accepted);

}  // namespace kestrin
