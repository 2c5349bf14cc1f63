#include "core/ipc/database_request.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(DatabaseRequestTest, LinesRoundTripAndOthersAreRefused) {
    for (DatabaseRequest r : {DatabaseRequest::Show, DatabaseRequest::OpenRecent,
                              DatabaseRequest::SearchPosition, DatabaseRequest::RegisterRecord}) {
        EXPECT_EQ(parseRequestLine(std::string(requestLine(r)) + "\r\n"), r);
    }
    EXPECT_EQ(parseRequestLine(" F5 "), DatabaseRequest::SearchPosition);
    EXPECT_EQ(parseRequestLine("f5"), std::nullopt);
    EXPECT_EQ(parseRequestLine(""), std::nullopt);
    EXPECT_EQ(parseRequestLine("F45"), std::nullopt);
    EXPECT_EQ(databaseServerPath("/run/user/1000"), "/run/user/1000/DalmirClass");
}

}  // namespace
}  // namespace core
