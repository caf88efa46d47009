// The mail composer of MessageUI: subject, recipients, a plain-text or HTML
// body and attachments. Sending writes a real RFC 5322 message into the
// device's outbox folder.
#pragma once

#include "platform/foundation/ErrorOr.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSError.h"
#include "platform/uikit/UIViewController.h"

#include <memory>
#include <string>
#include <vector>

namespace messageui {

enum MFMailComposeResult : long {
    MFMailComposeResultCancelled = 0,
    MFMailComposeResultSaved = 1,
    MFMailComposeResultSent = 2,
    MFMailComposeResultFailed = 3,
};

// Where sent messages go, one "<time>-<n>.eml" file each.
inline constexpr const char* kMailOutboxFolder = "/var/mobile/Library/Mail/Outbox";
// The device's accounts: "MailAddress" is the address mail is sent from;
// without one the device cannot send mail.
inline constexpr const char* kAccountsPlistPath = "/var/mobile/Library/Accounts/Accounts.plist";

class MFMailComposeViewController;

class MFMailComposeViewControllerDelegate {
public:
    virtual ~MFMailComposeViewControllerDelegate() = default;
    virtual void mailComposeControllerDidFinishWithResult(MFMailComposeViewController& controller, long result,
                                                          foundation::NSErrorRef error) = 0;
};

struct MailAttachment {
    foundation::NSDataRef data;
    std::string mimeType;
    std::string fileName;
};

class MFMailComposeViewController : public uikit::UINavigationController {
public:
    static objc::Class objcClass();
    // True when the device has a mail account to send from.
    static bool canSendMail();
    // `[[MFMailComposeViewController alloc] init]`.
    static std::shared_ptr<MFMailComposeViewController> create();

    void setSubject(std::string subject) { subject_ = std::move(subject); }
    const std::string& subject() const { return subject_; }
    void setToRecipients(std::vector<std::string> recipients) { toRecipients_ = std::move(recipients); }
    const std::vector<std::string>& toRecipients() const { return toRecipients_; }
    void setMessageBody(std::string body, bool isHTML) {
        body_ = std::move(body);
        bodyIsHTML_ = isHTML;
    }
    const std::string& messageBody() const { return body_; }
    bool isBodyHTML() const { return bodyIsHTML_; }
    // An absent data object is ignored, as the platform ignores nil.
    void addAttachmentData(foundation::NSDataRef data, std::string mimeType, std::string fileName);
    const std::vector<MailAttachment>& attachments() const { return attachments_; }

    // Held weakly: the delegate is usually the page that presents the sheet.
    void setMailComposeDelegate(const std::shared_ptr<MFMailComposeViewControllerDelegate>& delegate) {
        delegate_ = delegate;
    }
    std::shared_ptr<MFMailComposeViewControllerDelegate> mailComposeDelegate() const { return delegate_.lock(); }

    // The message as it would be sent: RFC 5322 headers, a MIME body with
    // the text part and one base64 part per attachment, CRLF line ends.
    std::string composeMessage() const;

    // What the person does with the shown sheet. Sending writes the message
    // into the outbox (atomically) and tells the delegate Sent, or Failed
    // with an error when it cannot be written; the device path of the
    // written message is answered. Cancelling tells the delegate Cancelled.
    foundation::ErrorOr<std::string> send();
    void cancel();

protected:
    friend objc::Allocation;
    explicit MFMailComposeViewController(objc::Class isa = objcClass()) : uikit::UINavigationController(isa) {}

private:
    void finish(long result, foundation::NSErrorRef error);

    std::string subject_;
    std::vector<std::string> toRecipients_;
    std::string body_;
    bool bodyIsHTML_ = false;
    std::vector<MailAttachment> attachments_;
    std::weak_ptr<MFMailComposeViewControllerDelegate> delegate_;
    bool finished_ = false;
};

using MFMailComposeViewControllerRef = std::shared_ptr<MFMailComposeViewController>;

// Standard base64 with "=" padding, in lines of 76 characters joined by CRLF.
std::string base64Lines(const foundation::NSData& data);

}  // namespace messageui
