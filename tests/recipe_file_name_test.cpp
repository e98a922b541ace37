#include <gtest/gtest.h>

#include <string>

#include "storage/fold.h"
#include "storage/recipe.h"

TEST(recipe_file_names, are_ascii_with_accents_reduced_and_other_characters_left_out) {
    EXPECT_EQ(recipe_file_name_part("Schinken-K\xe4se Waffeln"), "Schinken-Kase Waffeln");
    EXPECT_EQ(recipe_file_name_part("Stra\xdf" "e \xc6sop \x8c" "uf \xe7\xf1\xd8\xff"), "Strasse AEsop OEuf cnOy");
    EXPECT_EQ(recipe_file_name_part("\x80" "5 \xa9 Caf\xe9\x99 a/b"), "5  Cafe a_b");
    EXPECT_EQ(recipe_file_name_part("\xc9" "clair"), "Eclair");
    EXPECT_EQ(recipe_file_name_part("\x96" "dash"), "dash");
    EXPECT_EQ(recipe_file_name_part(".\xe9"), "_e");
    // Two letters for one byte still keep the part within 200 bytes.
    EXPECT_EQ(recipe_file_name_part(std::string(150, '\xdf')), std::string(200, 's'));
}

TEST(recipe_file_names, duplicates_compare_names_folded_with_blanks_collapsed) {
    EXPECT_EQ(name_for_comparing("  cr\xe8me   Br\xfbl\xe9" "e\t "), "CR\xc8ME BR\xdbL\xc9" "E");
    EXPECT_EQ(name_for_comparing(""), "");
}
