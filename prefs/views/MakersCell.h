// What the makers page's two kinds of row share: each is built from its row's
// string properties alone, shows a picture placed by its frame with the
// bundle's image shadow beside centred labels, always selects in blue, and,
// when tapped, opens a link instead of looking selected.
#pragma once

#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

#include <optional>
#include <string>

namespace snapfold::prefs {

class MakersCell : public preferences::PSTableCell {
public:
    static constexpr const char* kFontName = "Helvetica Light";

    // Always the blue style, whatever is asked.
    void setSelectionStyle(long style) override;
    // Deselecting goes to the base class; selecting opens the row's link
    // (openLink) and never gives the cell a selected look.
    void setSelected(bool selected, bool animated) override;

protected:
    explicit MakersCell(objc::Class isa) : preferences::PSTableCell(isa) {}

    // What a tap opens; the row's own reasons for opening nothing are logged.
    virtual void openLink() = 0;

    // The row's string under `key`; absent without a row or such a string.
    static std::optional<std::string> stringProperty(preferences::PSSpecifier* specifier, const char* key);
    // The picture's view, added to the cell: placed by its frame alone, its
    // shadow falling outside it.
    uikit::UIImageViewRef addImageView(uikit::UIImageRef image, uikit::CGRect frame);
    // A centred label on clear, added to the cell under auto layout; the
    // caller gives it its constraints.
    uikit::UILabelRef addLabel(std::string text, uikit::UIColorRef color, double fontSize);
};

}  // namespace snapfold::prefs
