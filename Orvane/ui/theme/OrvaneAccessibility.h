#pragma once

namespace orvane {

// Gives the painted elements their accessible roles (the wordmark a heading, the badge and chips
// static text, the divider a separator, the announcement region a notification, a disclosure title
// an expandable button). Safe to call more than once; every painted element calls it when it is built.
void installOrvaneAccessibility();

} // namespace orvane
