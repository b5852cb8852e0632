// What kind of address a text is, judged from the text alone.
#pragma once

#include <QString>

namespace fetchwell {

enum ServiceType { kNoService = 0, kHttpFile = 1, kOpenAsIs = 2 };

// kHttpFile: an http or https address whose last path segment is a file name
// with an extension other than htm, html, php, asp, aspx or jsp.
// kOpenAsIs: any other http or https address, ftp and mailto addresses.
// kNoService: every other scheme and text, so that no address can make the
// program start a local file or program.
ServiceType serviceTypeOf(const QString& address);

}  // namespace fetchwell
