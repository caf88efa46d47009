// The bundle's first page: the master switch and album name, a title logo
// that fades in, the share button, a banner above the first section, the
// logo above the fifth, and the support mail.
#pragma once

#include "platform/messageui/MFMailComposeViewController.h"
#include "prefs/VeltronaSnapfoldListController.h"

class SnapfoldListController : public VeltronaSnapfoldListController,
                               public messageui::MFMailComposeViewControllerDelegate {
public:
    static objc::Class objcClass();
    static std::shared_ptr<SnapfoldListController> create();

    static constexpr const char* kSpecifierListName = "Snapfold";
    static constexpr const char* kTitleLogoPath = "/Library/PreferenceBundles/Snapfold.bundle/headerLogo.png";
    static constexpr const char* kMailSubject = "Snapfold Support";
    static constexpr const char* kMailBodyFormat = "\n\nCurrent Device: %@, iOS %@ (%@)";
    static constexpr const char* kAttachmentType = "application/xml";
    static constexpr const char* kAttachmentName = "SnapfoldPrefs.plist";
    // "Veltrona <address>", the address being a setting of the build.
    static std::string supportRecipient();

    preferences::SpecifierList specifiers() override;
    void loadView() override;
    void viewDidLoad() override;
    // The timer's target: fades the title logo in.
    void increaseAlpha();
    void tweetSupport(objc::Object* sender);
    uikit::UIViewRef tableViewViewForHeaderInSection(uikit::UITableView& tableView, long section) override;
    double tableViewHeightForHeaderInSection(uikit::UITableView& tableView, long section) override;
    // Reached only through the support row's action.
    void emailVeltrona();
    void mailComposeControllerDidFinishWithResult(messageui::MFMailComposeViewController& controller, long result,
                                                  foundation::NSErrorRef error) override;

protected:
    friend objc::Allocation;
    explicit SnapfoldListController(objc::Class isa = objcClass()) : VeltronaSnapfoldListController(isa) {}
};
