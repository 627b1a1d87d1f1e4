// The terminal form. Conventions shown to the operator: Enter keeps a
// value, typed text replaces it, "" empties it, a number picks a list item,
// and a line that ends with a backslash goes on to the next line of a
// multi-line field. Escape (then Enter) cancels at any prompt.
#include "platform/posix/terminal_form.h"

#include <cctype>
#include <optional>

namespace zelk::posix {
namespace {

constexpr std::string_view kEmptyValue = "\"\"";
constexpr std::string_view kLineBreak = "\r\n";  // as the multi-line edit box delivers it

enum class Answer { Keep, Replace, Cancel };

struct Input {
    Answer answer;
    std::string text;
};

// One line of input; the end of input and Escape both cancel the form.
Input ReadAnswer(std::istream& in) {
    std::string line;
    if (!std::getline(in, line)) {
        return {Answer::Cancel, {}};
    }
    if (line.ends_with('\r')) {
        line.pop_back();
    }
    if (line.starts_with('\x1b')) {
        return {Answer::Cancel, {}};
    }
    if (line.empty()) {
        return {Answer::Keep, {}};
    }
    if (line == kEmptyValue) {
        return {Answer::Replace, {}};
    }
    return {Answer::Replace, line};
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(kLineBreak, start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return lines;
        }
        start = end + kLineBreak.size();
    }
}

// The item numbered by `text` (1 for the first), when `text` is all digits.
std::optional<std::string> PickedItem(const FormField& field, const std::string& text) {
    if (text.empty() || text.size() > 4) {
        return std::nullopt;
    }
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
    }
    std::size_t number = std::stoul(text);
    if (number < 1 || number > field.items.size()) {
        return std::nullopt;
    }
    return field.items[number - 1];
}

// Reads the multi-line field's new lines, following backslash continuations.
bool ReadMultiLine(FormField& field, std::istream& in, std::ostream& out) {
    Input first = ReadAnswer(in);
    if (first.answer != Answer::Replace) {
        return first.answer == Answer::Keep;
    }
    std::string value;
    std::string line = first.text;
    while (line.ends_with('\\')) {
        line.pop_back();
        value += line;
        value += kLineBreak;
        out << "  > " << std::flush;
        Input next = ReadAnswer(in);
        if (next.answer == Answer::Cancel) {
            return false;
        }
        line = next.text;
    }
    field.value = value + line;
    return true;
}

bool EditField(FormField& field, std::istream& in, std::ostream& out) {
    if (!field.editable) {
        out << field.label << ": " << field.value << "  (cannot be changed)\n";
        return true;
    }
    if (field.kind == FieldKind::MultiLine) {
        out << field.label << ", now:\n";
        for (const std::string& line : SplitLines(field.value)) {
            out << "  | " << line << "\n";
        }
        out << field.label << " (end a line with \\ to go on to the next line): " << std::flush;
        return ReadMultiLine(field, in, out);
    }
    if (field.kind == FieldKind::Choice) {
        for (std::size_t i = 0; i < field.items.size(); ++i) {
            out << (i == 0 ? "  " : ", ") << i + 1 << " " << field.items[i];
        }
        out << "\n";
    }
    out << field.label << " [" << field.value << "]: " << std::flush;
    Input input = ReadAnswer(in);
    if (input.answer == Answer::Replace) {
        std::optional<std::string> item;
        if (field.kind == FieldKind::Choice) {
            item = PickedItem(field, input.text);
        }
        field.value = item ? *item : input.text;
    }
    return input.answer != Answer::Cancel;
}

bool Confirm(std::istream& in, std::ostream& out) {
    for (;;) {
        out << "OK? [Y/n]: " << std::flush;
        Input input = ReadAnswer(in);
        if (input.answer == Answer::Keep) {
            return true;
        }
        if (input.answer == Answer::Cancel) {
            return false;
        }
        if (input.text == "y" || input.text == "Y" || input.text == "yes") {
            return true;
        }
        if (input.text == "n" || input.text == "N" || input.text == "no") {
            return false;
        }
    }
}

}  // namespace

bool RunTerminalForm(Form& form, std::istream& in, std::ostream& out) {
    out << "== " << form.caption << " ==\n"
        << "Enter keeps a value, typed text replaces it, " << kEmptyValue
        << " empties it, a number picks a list item; Escape and Enter cancel.\n";
    for (FormField& field : form.fields) {
        if (!EditField(field, in, out)) {
            out << "Cancelled.\n" << std::flush;
            return false;
        }
    }
    bool confirmed = Confirm(in, out);
    if (!confirmed) {
        out << "Cancelled.\n";
    }
    out << std::flush;
    return confirmed;
}

}  // namespace zelk::posix
