// The vendor's web host: announcements, help page and home page.
#ifndef LUMIVANE_ANNOUNCE_VENDOR_H_
#define LUMIVANE_ANNOUNCE_VENDOR_H_

namespace lumivane {

inline constexpr char kVendorHost[] = "www.lumivane.example";
inline constexpr int kVendorPort = 80;
inline constexpr char kHelpPagePath[] = "/help.html";
inline constexpr char kHelpPageAddress[] = "http://www.lumivane.example/help.html";
inline constexpr char kHomePageAddress[] = "http://www.lumivane.example/";

}  // namespace lumivane

#endif  // LUMIVANE_ANNOUNCE_VENDOR_H_
