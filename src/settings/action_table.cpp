#include "action_table.h"

ActionTableType BuildActionTable()
{
    return {{
        {"0", "Font size: "},
        {"np", "Page break"},
        {"tb", "Tabulator"},
        {"bb", "Begin bold"},
        {"eb", "End bold"},
        {"bi", "Begin italic"},
        {"ei", "End italic"},
        {"bu", "Begin underlined"},
        {"eu", "End underlined"},
        {"be", "Begin superscript"},
        {"ee", "End superscript"},
        {"bp", "Begin subscript"},
        {"ep", "End subscript"},
        {"h6", "Line height 1/6"},
        {"h8", "Line height 1/8"},
        {"h2", "Line height 1/12"},
        {"h4", "Line height 1/4"},
        {"h3", "Line height 1/3"},
        {"h1", "Line height 1cm"},
        {"op", "Orientation Portrait"},
        {"ol", "Orientation Landscape"},
        {"", "Ignore"},
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
