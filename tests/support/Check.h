// Test helpers: checking a thrown message text.
#pragma once

#include <cstring>

#include <gtest/gtest.h>

/// Expects `statement` to throw the library's message text `text` (a const char*).
#define EXPECT_THROW_TEXT(statement, text)                                                         \
    do {                                                                                           \
        const char* thrown_ = nullptr;                                                             \
        try {                                                                                      \
            statement;                                                                             \
        } catch (const char* message_) {                                                           \
            thrown_ = message_;                                                                    \
        }                                                                                          \
        if (!thrown_)                                                                              \
            ADD_FAILURE() << "expected \"" << (text) << "\" from " #statement ", nothing thrown";  \
        else                                                                                       \
            EXPECT_STREQ(thrown_, text);                                                           \
    } while (0)
