#include "platform/messageui/MFMailComposeViewController.h"

#include "platform/foundation/DeviceRoot.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SystemError.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace messageui {

namespace {

std::optional<std::string> senderAddress() {
    auto accounts = foundation::dictionaryWithContentsOfFile(kAccountsPlistPath);
    if (!accounts) return std::nullopt;
    auto address = accounts->find("MailAddress");
    if (address == accounts->end() || !address->second.string() || address->second.string()->empty())
        return std::nullopt;
    return *address->second.string();
}

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// A header value as RFC 2047 encoded words when it holds non-ASCII text.
std::string headerText(std::string_view text) {
    if (isAscii(text)) return std::string(text);
    foundation::NSData bytes(text.begin(), text.end());
    std::string encoded = base64Lines(bytes);
    std::erase(encoded, '\r');
    std::erase(encoded, '\n');
    return "=?UTF-8?B?" + encoded + "?=";
}

// Bare line feeds become CRLF; a lone CR is kept as part of a CRLF pair.
std::string withCRLF(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

// Eight-bit text is readable in the file; base64 only where a line would be
// too long for it or a bare CR would not survive.
bool fitsEightBit(std::string_view text) {
    std::size_t line = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) return false;
        if (text[i] == '\n') {
            line = 0;
        } else if (++line > 900) {
            return false;
        }
    }
    return true;
}

std::string rfc5322Date() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S %z", &local);
    return text;
}

std::string uniqueToken() {
    static std::atomic<unsigned> sequence{0};
    std::random_device random;
    char text[64];
    std::snprintf(text, sizeof text, "%lld.%d.%u.%08x",
                  static_cast<long long>(std::chrono::system_clock::now().time_since_epoch().count()),
                  static_cast<int>(::getpid()), sequence.fetch_add(1), random());
    return text;
}

}  // namespace

std::string base64Lines(const foundation::NSData& data) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string flat;
    for (std::size_t i = 0; i < data.size(); i += 3) {
        std::uint32_t chunk = std::uint32_t{data[i]} << 16;
        if (i + 1 < data.size()) chunk |= std::uint32_t{data[i + 1]} << 8;
        if (i + 2 < data.size()) chunk |= data[i + 2];
        flat += alphabet[(chunk >> 18) & 63];
        flat += alphabet[(chunk >> 12) & 63];
        flat += i + 1 < data.size() ? alphabet[(chunk >> 6) & 63] : '=';
        flat += i + 2 < data.size() ? alphabet[chunk & 63] : '=';
    }
    std::string lines;
    for (std::size_t i = 0; i < flat.size(); i += 76) {
        if (i) lines += "\r\n";
        lines += flat.substr(i, 76);
    }
    return lines;
}

objc::Class MFMailComposeViewController::objcClass() {
    static objc::Class cls = objc::objc_registerClass(
        "MFMailComposeViewController", uikit::UINavigationController::objcClass(),
        [](objc::Class isa) { return objc::make<MFMailComposeViewController>(isa); });
    return cls;
}

std::shared_ptr<MFMailComposeViewController> MFMailComposeViewController::create() {
    return objc::make<MFMailComposeViewController>();
}

bool MFMailComposeViewController::canSendMail() { return senderAddress().has_value(); }

void MFMailComposeViewController::addAttachmentData(foundation::NSDataRef data, std::string mimeType,
                                                    std::string fileName) {
    if (!data) return;
    attachments_.push_back(MailAttachment{std::move(data), std::move(mimeType), std::move(fileName)});
}

std::string MFMailComposeViewController::composeMessage() const {
    std::string boundary = "Snapfold-Boundary-" + uniqueToken();
    std::string message;
    auto header = [&](std::string_view name, std::string_view value) {
        message += name;
        message += ": ";
        message += value;
        message += "\r\n";
    };
    header("From", senderAddress().value_or("mobile@localhost"));
    std::string to;
    for (const auto& recipient : toRecipients_) to += (to.empty() ? "" : ", ") + recipient;
    header("To", to);
    header("Subject", headerText(subject_));
    header("Date", rfc5322Date());
    std::string messageID(1, '<');  // Appended: GCC 12 warns wrongly about "<" + string.
    messageID += uniqueToken();
    messageID += "@snapfold.local>";
    header("Message-ID", messageID);
    header("MIME-Version", "1.0");
    header("Content-Type", "multipart/mixed; boundary=\"" + boundary + "\"");
    message += "\r\n";

    message += "--" + boundary + "\r\n";
    header("Content-Type", std::string(bodyIsHTML_ ? "text/html" : "text/plain") + "; charset=utf-8");
    if (fitsEightBit(body_)) {
        header("Content-Transfer-Encoding", "8bit");
        message += "\r\n" + withCRLF(body_) + "\r\n";
    } else {
        header("Content-Transfer-Encoding", "base64");
        message += "\r\n" + base64Lines(foundation::NSData(body_.begin(), body_.end())) + "\r\n";
    }
    for (const auto& attachment : attachments_) {
        message += "--" + boundary + "\r\n";
        header("Content-Type", attachment.mimeType + "; name=\"" + attachment.fileName + "\"");
        header("Content-Disposition", "attachment; filename=\"" + attachment.fileName + "\"");
        header("Content-Transfer-Encoding", "base64");
        message += "\r\n" + base64Lines(*attachment.data) + "\r\n";
    }
    message += "--" + boundary + "--\r\n";
    return message;
}

foundation::ErrorOr<std::string> MFMailComposeViewController::send() {
    if (finished_)
        return foundation::makeError(foundation::ErrorCode::InvalidArgument, "the mail was already finished");
    std::string folder = kMailOutboxFolder;
    std::error_code ec;
    std::filesystem::create_directories(foundation::hostPath(folder), ec);
    std::string devicePath = folder + "/" + uniqueToken() + ".eml";
    // An outbox that cannot be made is the cause to report, not the write
    // that then finds no folder.
    auto written = ec ? foundation::ErrorOr<void>(foundation::errorFromErrorCode(ec, "cannot create " + folder))
                      : foundation::writeFileAtomically(foundation::hostPath(devicePath), composeMessage());
    if (!written) {
        foundation::NSLog("MessageUI: cannot write %@: %@", devicePath, written.error().message);
        finish(MFMailComposeResultFailed,
               foundation::NSError::errorWithDomain(
                   "MFMailComposeErrorDomain", 1, {{foundation::NSLocalizedDescriptionKey, written.error().message}}));
        return written.error();
    }
    finish(MFMailComposeResultSent, nullptr);
    return devicePath;
}

void MFMailComposeViewController::cancel() {
    if (!finished_) finish(MFMailComposeResultCancelled, nullptr);
}

void MFMailComposeViewController::finish(long result, foundation::NSErrorRef error) {
    finished_ = true;
    auto self = std::static_pointer_cast<MFMailComposeViewController>(retain());  // Alive through the delegate call.
    if (auto delegate = delegate_.lock()) {
        delegate->mailComposeControllerDidFinishWithResult(*this, result, std::move(error));
    } else {
        foundation::NSLog("MessageUI: the mail sheet has no delegate to dismiss it");
    }
}

}  // namespace messageui
