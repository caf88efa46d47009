// The mail composer: the RFC 5322 message it writes, and the outbox.
#include "platform/foundation/DeviceRoot.h"
#include "platform/messageui/MFMailComposeViewController.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using messageui::MFMailComposeViewController;

// The decoded bytes of standard base64 text (line breaks skipped).
std::string decodeBase64(std::string_view text) {
    std::string out;
    unsigned buffer = 0;
    int bits = 0;
    for (char c : text) {
        int value = c >= 'A' && c <= 'Z'   ? c - 'A'
                    : c >= 'a' && c <= 'z' ? c - 'a' + 26
                    : c >= '0' && c <= '9' ? c - '0' + 52
                    : c == '+'             ? 62
                    : c == '/'             ? 63
                                           : -1;
        if (value < 0) continue;
        buffer = (buffer << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    return out;
}

// The body of the MIME part whose headers contain `marker`.
std::string partBody(const std::string& message, std::string_view marker) {
    auto at = message.find(marker);
    if (at == std::string::npos) return {};
    auto start = message.find("\r\n\r\n", at) + 4;
    auto end = message.find("\r\n--", start);
    return message.substr(start, end - start);
}

class Delegate : public messageui::MFMailComposeViewControllerDelegate {
public:
    void mailComposeControllerDidFinishWithResult(MFMailComposeViewController&, long result,
                                                  foundation::NSErrorRef error) override {
        results.push_back(result);
        lastError = error;
    }
    std::vector<long> results;
    foundation::NSErrorRef lastError;
};

class MFMailComposeViewControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::processDeviceRoot();
        auto accounts = foundation::hostPath(messageui::kAccountsPlistPath);
        std::filesystem::create_directories(accounts.parent_path());
        ASSERT_TRUE(foundation::writePropertyListAtomically(accounts,
                                                            foundation::NSDictionary{{"MailAddress", "me@example.com"}})
                        .ok());
        mail = MFMailComposeViewController::create();
        mail->setSubject("Snapfold Support");
        mail->setToRecipients({"Veltrona <help@example.com>"});
        mail->setMessageBody("\n\nCurrent Device: X, iOS 8.3 (12F70)", false);
        mail->setMailComposeDelegate(delegate);
    }
    std::shared_ptr<MFMailComposeViewController> mail;
    std::shared_ptr<Delegate> delegate = std::make_shared<Delegate>();
};

TEST_F(MFMailComposeViewControllerTest, TheMessageHasTheHeadersBodyAndAttachment) {
    auto bytes = std::make_shared<foundation::NSData>(foundation::NSData{0, 1, 2, 250, 251, 252, 'x'});
    mail->addAttachmentData(bytes, "application/xml", "SnapfoldPrefs.plist");
    mail->addAttachmentData(nullptr, "text/plain", "ignored.txt");
    std::string message = mail->composeMessage();
    for (const char* header :
         {"From: me@example.com\r\n", "To: Veltrona <help@example.com>\r\n", "Subject: Snapfold Support\r\n",
          "MIME-Version: 1.0\r\n", "\r\nDate: ", "\r\nMessage-ID: <"})
        EXPECT_NE(message.find(header), std::string::npos) << header;
    std::string body = partBody(message, "Content-Type: text/plain; charset=utf-8");
    EXPECT_EQ(body, "\r\n\r\nCurrent Device: X, iOS 8.3 (12F70)")
        << "two empty lines, then the device line, no line feed after";
    std::string attachment = partBody(message, "Content-Type: application/xml; name=\"SnapfoldPrefs.plist\"");
    EXPECT_EQ(decodeBase64(attachment), std::string(bytes->begin(), bytes->end()));
    EXPECT_NE(message.find("Content-Disposition: attachment; filename=\"SnapfoldPrefs.plist\""), std::string::npos);
    EXPECT_EQ(message.find("ignored.txt"), std::string::npos);
    EXPECT_TRUE(message.ends_with("--\r\n"));
}

TEST_F(MFMailComposeViewControllerTest, LongLinesAndForeignSubjectsAreEncoded) {
    mail->setSubject("Grüße");
    mail->setMessageBody(std::string(2000, 'a'), false);
    std::string message = mail->composeMessage();
    EXPECT_NE(message.find("Subject: =?UTF-8?B?"), std::string::npos);
    std::string body = partBody(message, "Content-Type: text/plain");
    EXPECT_NE(message.find("Content-Transfer-Encoding: base64"), std::string::npos);
    EXPECT_EQ(decodeBase64(body), std::string(2000, 'a'));
}

TEST_F(MFMailComposeViewControllerTest, SendingWritesIntoTheOutboxAndTellsTheDelegateOnce) {
    EXPECT_TRUE(MFMailComposeViewController::canSendMail());
    auto written = mail->send();
    ASSERT_TRUE(written.ok());
    std::ifstream file(foundation::hostPath(written.value()), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Subject: Snapfold Support"), std::string::npos);
    EXPECT_FALSE(mail->send().ok());
    mail->cancel();
    EXPECT_EQ(delegate->results, (std::vector<long>{messageui::MFMailComposeResultSent}));
}

TEST_F(MFMailComposeViewControllerTest, WithoutAnAccountNoMailCanBeSent) {
    std::filesystem::remove(foundation::hostPath(messageui::kAccountsPlistPath));
    EXPECT_FALSE(MFMailComposeViewController::canSendMail());
}

}  // namespace
