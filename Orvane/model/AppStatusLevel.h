#pragma once

namespace orvane {

// The model's overall state as the window's accent colour shows it.
enum class AppStatusLevel { neutral, progress, success, warning, error };

} // namespace orvane
