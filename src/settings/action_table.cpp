#include "action_table.h"

ActionTableType BuildActionTable()
{
    using enum ActionKind;
    return {{
        {"0", "Font size: ", FontSize},
        {"np", "Page break", PageBreak},
        {"tb", "Tabulator", Tab},
        {"bb", "Begin bold", BeginBold},
        {"eb", "End bold", EndBold},
        {"bi", "Begin italic", BeginItalic},
        {"ei", "End italic", EndItalic},
        {"bu", "Begin underlined", BeginUnderline},
        {"eu", "End underlined", EndUnderline},
        {"be", "Begin superscript", BeginSuperscript},
        {"ee", "End superscript", EndSuperscript},
        {"bp", "Begin subscript", BeginSubscript},
        {"ep", "End subscript", EndSubscript},
        {"h6", "Line height 1/6", LineHeight, 6},
        {"h8", "Line height 1/8", LineHeight, 8},
        {"h2", "Line height 1/12", LineHeight, 12},
        {"h4", "Line height 1/4", LineHeight, 4},
        {"h3", "Line height 1/3", LineHeight, 3},
        {"h1", "Line height 1cm", LineHeight, -1},
        {"op", "Orientation Portrait", Orientation},
        {"ol", "Orientation Landscape", Orientation},
        {"", "Ignore", Ignore},
    }};
}

int FindActionByCode(const ActionTableType& table, const std::string& code)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].Code == code)
            return static_cast<int>(i);
    }
    return -1;
}

const ActionEntry* FindNamedAction(const ActionTableType& table, const std::string& code)
{
    const int index = FindActionByCode(table, code);
    if (index < 0)
        return nullptr;
    const ActionEntry& entry = table[static_cast<std::size_t>(index)];
    return entry.Kind == ActionKind::FontSize || entry.Kind == ActionKind::Ignore ? nullptr : &entry;
}
