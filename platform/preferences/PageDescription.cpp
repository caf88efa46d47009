#include "platform/preferences/PageDescription.h"

#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

#include <cstdio>
#include <sstream>

namespace preferences {

namespace {

void collectTexts(const uikit::UIView& view, std::vector<std::string>& texts) {
    if (auto* label = dynamic_cast<const uikit::UILabel*>(&view); label && !label->text().empty())
        texts.push_back("\"" + label->text() + "\"");
    if (auto* image = dynamic_cast<const uikit::UIImageView*>(&view))
        texts.push_back(image->image() ? "[image]" : "[no image]");
    for (const auto& subview : view.subviews()) collectTexts(*subview, texts);
}

std::string points(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g pt", value);
    return text;
}

std::string rowKind(const PSSpecifier& row) {
    if (row.cellClass()) return row.cellClass()->name();
    switch (row.cellType()) {
    case PSSwitchCell: return "switch";
    case PSEditTextCell: return "text";
    case PSSecureEditTextCell: return "secure text";
    case PSLinkCell: return "link";
    case PSLinkListCell: return "choice";
    case PSSegmentCell: return "segments";
    case PSSliderCell: return "slider";
    case PSButtonCell: return "button";
    case PSListItemCell: return "item";
    case PSStaticTextCell: return "text";
    default: return cellTypeName(row.cellType());
    }
}

}  // namespace

std::string labelTexts(const uikit::UIView& view) {
    std::vector<std::string> texts;
    collectTexts(view, texts);
    std::string joined;
    for (const auto& text : texts) joined += (joined.empty() ? "" : " | ") + text;
    return joined;
}

std::string describePage(PSListController& page) {
    std::ostringstream out;
    auto table = page.table();
    out << "Page " << page.isa()->name();
    if (!page.title().empty()) out << " \"" << page.title() << "\"";
    out << "\n";
    auto grouped = page.sections();
    for (std::size_t s = 0; s < grouped.size(); ++s) {
        long section = static_cast<long>(s);
        out << "Section " << s << "\n";
        double height = page.tableViewHeightForHeaderInSection(*table, section);
        if (auto header = page.tableViewViewForHeaderInSection(*table, section)) {
            header->setFrame(uikit::CGRectMake(0, 0, table->frame().size.width, height > 0 ? height : 0));
            header->layoutIfNeeded();
            out << "  header: " << header->isa()->name() << ", " << points(height) << ": " << labelTexts(*header)
                << "\n";
        } else if (auto title = page.tableViewTitleForHeaderInSection(*table, section)) {
            out << "  header: \"" << *title << "\"\n";
        }
        for (std::size_t r = 0; r < grouped[s].rows.size(); ++r) {
            const auto& row = grouped[s].rows[r];
            auto cell = page.tableViewCellForRowAtIndexPath(*table, uikit::NSIndexPath{section, static_cast<long>(r)});
            auto* framework = dynamic_cast<PSTableCell*>(cell.get());
            std::string title = cell ? cell->textLabel()->text() : row->name().value_or("");
            out << "  - " << (title.empty() ? row->name().value_or("(untitled)") : title) << " [" << rowKind(*row);
            if (auto key = row->stringPropertyForKey("key")) out << ", key " << *key;
            if (cell && cell->accessoryType() == uikit::UITableViewCellAccessoryCheckmark) out << ", chosen";
            out << "]";
            if (framework && framework->value()) out << ": " << framework->displayedValue();
            if (!row->buttonAction().empty()) out << " -> " << row->buttonAction();
            if (row->detailControllerClass()) out << " -> " << row->detailControllerClass()->name();
            out << "\n";
        }
        if (auto footer = page.tableViewTitleForFooterInSection(*table, section))
            out << "  footer: \"" << *footer << "\"\n";
    }
    return out.str();
}

}  // namespace preferences
