#pragma once
// The name rules of the form fill, kept as data in the order they are tested:
// the first fragment found in an element's upper-cased name decides. An empty
// field name means "write the empty text".
#include <QString>

namespace engine {

struct NameRule {
    const char *fragment;
    const char *field;
};

inline constexpr NameRule kTextInputRules[] = {
    {"page", "Company_WebSite_URL"},
    {"pad", "Application_XML_File_URL"},
    {"xml", "Application_XML_File_URL"},
    {"pname", "Application_XML_File_URL"},
    {"home", "Company_WebSite_URL"},
    {"HURL", "Company_WebSite_URL"},
    {"Product", "Program_Name"},
    {"title", "Program_Name"},
    {"ProgN", "Program_Name"},
    {"Subject", "Program_Name"},
    {"limitation", ""},
    {"eval_period", "Expire_Day"},
    {"ver", "Program_Version"},
    {"program_location", "Primary_Download_URL"},
    {"download", "Primary_Download_URL"},
    {"cost", "Program_Cost_Dollars"},
    {"keyword", "Keywords"},
    {"Size", "File_Size_K"},
    {"screenshot", "Application_Screenshot_URL"},
    {"screen", "Application_Screenshot_URL"},
    {"price", "Program_Cost_Dollars"},
    {"Pric", "Program_Cost_Dollars"},
    {"email", "Author_Email"},
    {"mail", "Author_Email"},
    {"send_to", "Author_Email"},
    {"sendto", "Author_Email"},
    {"Company", "Company_Name"},
    {"CN", "Company_Name"},
    {"location", "Primary_Download_URL"},
    {"Category", "Program_Category_Class"},
    {"long", "Char_Desc_2000"},
    {"short", "Char_Desc_45"},
    {"abstract", "Char_Desc_45"},
    {"notes", "Char_Desc_2000"},
    {"URL", "Company_WebSite_URL"},
    {"Web Site", "Company_WebSite_URL"},
    {"WebSite", "Company_WebSite_URL"},
    {"Min", "Program_System_Requirements"},
    {"require", "Program_System_Requirements"},
    {"SoftBy", "Company_Name"},
    {"Contact", "Company_Name"},
    {"SoftGetInfo", "Company_WebSite_URL"},
    {"Author", "Company_Name"},
    {"purchase", "Application_Order_URL"},
    {"order", "Application_Order_URL"},
    {"buy", "Application_Order_URL"},
    {"name", "Program_Name"},
};

inline constexpr NameRule kTextAreaRules[] = {
    {"short", "Char_Desc_45"},
    {"St_Description", "Char_Desc_45"},
    {"bdesc", "Char_Desc_45"},
    {"notes", "Char_Desc_2000"},
    {"long", "Char_Desc_2000"},
    {"Description", "Char_Desc_2000"},
    {"Desc", "Char_Desc_2000"},
    {"home_page", "Company_WebSite_URL"},
    {"home", "Company_WebSite_URL"},
    {"req", "Program_System_Requirements"},
    {"Min", "Program_System_Requirements"},
    {"download", "Primary_Download_URL"},
    {"limitation", ""},
    {"whoami", "Char_Desc_45"},
};

// Login form: a text input whose upper-cased name holds one of these gets the username.
inline constexpr const char *kUsernamePatterns[] = {"User", "admin", "owner", "name", "uid", "login", "mail"};

// Button exclusions, matched with exact case.
inline constexpr const char *kAltExclusions[] = {"Cancel", "reset"};
inline constexpr const char *kValueExclusions[] = {"no", "back"};

inline constexpr const char kSubmitButtonNotFound[] = "Submit button not found.";

} // namespace engine
