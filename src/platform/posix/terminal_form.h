// A modal dialog as a form on a text terminal: the caption, then one prompt
// per field, then a confirmation. It reads and writes plain streams, so the
// same code serves a terminal and the tests.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zelk::posix {

enum class FieldKind { Text, MultiLine, Choice };

struct FormField {
    std::string label;
    FieldKind kind = FieldKind::Text;
    std::string value;               // what the field shows when the form opens
    std::vector<std::string> items;  // Choice: the list in display order
    bool editable = true;
};

struct Form {
    std::string caption;
    std::vector<FormField> fields;
};

// Shows `form` and lets the operator edit it. Returns true when the operator
// confirmed; then the fields hold the edited values. Returns false when the
// operator cancelled (a "n" or Escape answer, or the end of input); the form
// may then be partly edited and is to be discarded.
bool RunTerminalForm(Form& form, std::istream& in, std::ostream& out);

}  // namespace zelk::posix
