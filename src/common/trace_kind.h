#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// The six values the window draws as traces, as limits files and remote
// commands name them. The order is that of the trace check boxes.
enum class TraceKind { Loss, Phase, Swr, Rs, Xs, Z };

inline constexpr std::size_t TraceKindCount = 6;

inline constexpr std::array<std::string_view, TraceKindCount> TraceKindNames{
    "loss", "phase", "swr", "rs", "xs", "z"};

inline constexpr std::string_view TraceKindName(TraceKind kind) {
    return TraceKindNames[static_cast<std::size_t>(kind)];
}

// The kind named exactly (lower case), if any.
inline constexpr std::optional<TraceKind> TraceKindNamed(std::string_view name) {
    for (std::size_t i = 0; i < TraceKindCount; ++i) {
        if (TraceKindNames[i] == name) {
            return static_cast<TraceKind>(i);
        }
    }
    return std::nullopt;
}
