#include <unistd.h>

#include <sstream>

#include "app/startup.h"
#include "import_recipes/import_tool.h"
#include "platform/platform_script.h"
#include "shell/collection_lock.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

const std::string box = (fs::path(LDR_TEST_DATA_DIR) / "mealmaster/box-of-cards.txt").string();

// A collection, and a second way into it: a link to its directory, as a
// copy of the programs started through a link would see it.
class collection_lock_test : public larder_test {
protected:
    void SetUp() override {
        larder_test::SetUp();
        fs::create_directory(dir / "Larderon");
        fs::create_directory_symlink(dir / "Larderon", dir / "linked");
        collection = (dir / "Larderon").string();
        linked = (dir / "linked").string();
    }

    // Holds the lock as `program` would, through the link.
    collection_lock hold_as(const std::string& program) {
        collection_lock lock;
        lock_holder holder;
        EXPECT_EQ(take_collection_lock(linked, program, lock, holder), 0);
        return lock;
    }

    std::pair<int, std::string> import(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        const int status = import_recipes(args, {collection, out, err, false});
        fs::current_path(dir);
        return {status, err.str()};
    }

    std::string collection, linked;
};

}  // namespace

TEST_F(collection_lock_test, one_holder_at_a_time_whatever_the_path_and_it_names_itself) {
    collection_lock first = hold_as("larderon");
    EXPECT_EQ(read_whole_file(dir / "Larderon" / collection_lock_name),
              "larderon " + std::to_string(::getpid()) + std::string(63 - 9 - std::to_string(::getpid()).size(), ' ') +
                  "\n");
    collection_lock second;
    lock_holder holder;
    EXPECT_EQ(take_collection_lock(collection, "import-recipes", second, holder), EWOULDBLOCK);
    EXPECT_EQ(holder.program, "larderon");
    EXPECT_EQ(holder.pid, ::getpid());
    EXPECT_EQ(second.fd, -1);
    release_collection_lock(first);
    EXPECT_EQ(take_collection_lock(collection, "import-recipes", second, holder), 0);
    release_collection_lock(second);
    EXPECT_EQ(take_collection_lock((dir / "missing").string(), "larderon", second, holder), ENOENT);
}

TEST_F(collection_lock_test, an_import_refuses_only_while_larderon_or_another_import_holds_the_collection) {
    const std::string process = " (process " + std::to_string(::getpid()) + ")";
    {
        collection_lock larderon = hold_as("larderon");
        EXPECT_EQ(import({box}), std::make_pair(1, "Close Larderon first: it has this collection open" + process + ".\n"));
        release_collection_lock(larderon);
    }
    {
        collection_lock other = hold_as("import-recipes");
        EXPECT_EQ(import({box}), std::make_pair(1, "Another import is running into " + collection + process +
                                                       ": wait until it has ended.\n"));
        // A dry run writes nothing and goes on.
        EXPECT_EQ(import({"--dry-run", box}).first, 0);
        release_collection_lock(other);
    }
    EXPECT_FALSE(fs::exists(dir / "Larderon" / "default.ldr"));
    EXPECT_EQ(import({box}), std::make_pair(0, std::string()));
    EXPECT_TRUE(fs::exists(dir / "Larderon" / "default.ldr"));
    // The lock went with the run: Larderon may start.
    collection_lock after = hold_as("larderon");
    release_collection_lock(after);
}

TEST_F(collection_lock_test, larderon_does_not_start_while_an_import_holds_its_collection) {
    collection_lock import_lock = hold_as("import-recipes");
    testing::internal::CaptureStderr();
    try {
        lock_collection(collection);
        ADD_FAILURE() << "Larderon started during an import";
    } catch (const program_ended& ended) {
        EXPECT_EQ(ended.code, 1);
    }
    const std::string message = "An import into this collection is running; start Larderon again when it has finished.";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), message + "\n");
    ASSERT_EQ(script::dialogs().size(), 1u);
    EXPECT_EQ(script::dialogs()[0].kind, "message");
    EXPECT_EQ(script::dialogs()[0].text, message);
    release_collection_lock(import_lock);

    // Another copy of Larderon, under whatever name: this one ends quietly.
    collection_lock copy = hold_as("larderon");
    EXPECT_THROW(
        try { lock_collection(collection); } catch (const program_ended& ended) {
            EXPECT_EQ(ended.code, 0);
            throw;
        },
        program_ended);
    release_collection_lock(copy);
}
