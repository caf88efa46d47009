// The framework's row cell, and the base of custom cells: made from a
// specifier, it shows the row's title and, for rows with a value, the value
// (a switch's state, a text, a choice's title).
#pragma once

#include "platform/preferences/PSSpecifier.h"
#include "platform/uikit/UISwitch.h"
#include "platform/uikit/UITableViewCell.h"

#include <memory>
#include <optional>
#include <string>

namespace preferences {

class PSTableCell : public uikit::UITableViewCell {
public:
    static objc::Class objcClass();
    // `[[PSTableCell alloc] initWithStyle:style reuseIdentifier:reuseIdentifier specifier:specifier]`.
    static std::shared_ptr<PSTableCell> create(long style, std::string reuseIdentifier, PSSpecifier* specifier);

    using uikit::UITableViewCell::initWithStyle;
    // `initWithStyle:reuseIdentifier:specifier:`: how the framework makes a
    // row's cell, also for custom cell classes named by the row (through the
    // runtime, so a subclass's override is the one that runs).
    virtual std::shared_ptr<PSTableCell> initWithStyle(long style, std::string reuseIdentifier, PSSpecifier* specifier);

    // The label that shows the row's name.
    const uikit::UILabelRef& titleLabel() const { return textLabel(); }
    // The row the cell was made for (held weakly: the page owns its rows).
    PSSpecifierRef specifier() const { return specifier_.lock(); }
    void setSpecifier(const PSSpecifierRef& specifier) { specifier_ = specifier; }
    long type() const { return type_; }

    // Takes the title and type from the row.
    virtual void refreshCellContentsWithSpecifier(PSSpecifier* specifier);
    // Shows a row's current value: a switch's state, an edit field's text,
    // a choice's (short) title, a slider's number.
    void setValue(const std::optional<foundation::PlistValue>& value);
    const std::optional<foundation::PlistValue>& value() const { return value_; }
    // The value as the row shows it ("on"/"off", the text, the choice's title),
    // empty for rows that show none.
    std::string displayedValue() const;
    // The switch of a switch row, or nothing.
    const uikit::UISwitchRef& control() const { return control_; }

    // The framework's own selector of a row's cell type.
    static std::string reuseIdentifierForType(long type);
    static long styleForType(long type);

protected:
    friend objc::Allocation;
    explicit PSTableCell(objc::Class isa = objcClass()) : uikit::UITableViewCell(isa) {}

private:
    std::weak_ptr<PSSpecifier> specifier_;
    long type_ = PSStaticTextCell;
    std::optional<foundation::PlistValue> value_;
    uikit::UISwitchRef control_;
};

using PSTableCellRef = std::shared_ptr<PSTableCell>;

}  // namespace preferences
