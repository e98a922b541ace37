#!/usr/bin/env python3
# Writes the made-up sample exports of other recipe managers used by
# managers_test.cpp. Run it here to make them again.
import gzip, io, json, os, struct, unicodedata, zipfile


def zip_bytes(entries, utf8_flag=True):
    """entries: list of (name, bytes). Without utf8_flag, names go in as their
    UTF-8 bytes without the flag, as macOS writes them."""
    out = io.BytesIO()
    with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            z.writestr(name, data)
    data = bytearray(out.getvalue())
    if not utf8_flag:
        for sig, at in ((b'PK\x03\x04', 6), (b'PK\x01\x02', 8)):
            pos = data.find(sig)
            while pos >= 0:
                flags = struct.unpack('<H', data[pos + at:pos + at + 2])[0] & ~0x800
                data[pos + at:pos + at + 2] = struct.pack('<H', flags)
                pos = data.find(sig, pos + 4)
    return bytes(data)


def gz(text):
    return gzip.compress(text.encode('utf-8'), mtime=0)


def write(path, data):
    os.makedirs(os.path.dirname(path) or '.', exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


nfd = lambda s: unicodedata.normalize('NFD', s)
jpeg = b'\xff\xd8\xff\xe0' + b'\0' * 16

# Paprika: a bundle of gzipped JSON, names decomposed and unflagged, macOS litter.
lemon = {"uid": "9F1C-01", "name": "Lemon Rice", "servings": "2", "source": "Grandma", "source_url": "",
         "ingredients": "1 cup rice\r\n1 lemon\r\n", "directions": "1. Cook the rice.\n\n2. Stir in the lemon juice.",
         "description": "", "notes": "Good with fish.", "categories": ["Sides"], "rating": 0, "photo_data": ""}
creme = {"uid": "9F1C-02", "name": "Cr\u00e8me Br\u00fbl\u00e9e", "servings": "about 6 ramekins", "source": "",
         "source_url": "https://Www.Example.org/creme?x=1",
         "ingredients": "For the custard:\n500\u00a0ml cream\u20284 yolks\n\nFor the top:\n2 tbsp sugar",
         "directions": "Bake slowly.\nBurn the sugar.", "description": "Rich.", "notes": "",
         "photo_data": "/9j/4AAQ", "categories": []}
bundle = zip_bytes([
    ("My Recipes/", b""),
    ("My Recipes/Lemon Rice.paprikarecipe", gz(json.dumps(lemon))),
    (nfd("My Recipes/Cr\u00e8me Br\u00fbl\u00e9e.paprikarecipe"), gz(json.dumps(creme))),
    (nfd("My Recipes/G\u00e2teau.paprikarecipe"), b"{\"uid\":\"x\""),
    ("My Recipes/CafX.paprikarecipe", b"not gzip"),
    ("__MACOSX/My Recipes/._Lemon Rice.paprikarecipe", b"\x00\x05\x16\x07rest"),
    ("My Recipes/.DS_Store", b"\0\0\0\1Bud1"),
], utf8_flag=False).replace(b"CafX", b"Caf\x82")  # CP437 for e acute
write('paprika/Paprika Export.paprikarecipes', bundle)
write('paprika/Pilaf.paprikarecipe', gz('\ufeff' + json.dumps(
    {"uid": "9F1C-03", "name": "Pilaf", "servings": "4 servings", "source": "", "source_url": "",
     "ingredients": "2 cups rice", "directions": "Fry, then simmer.", "notes": ""})))

# Nextcloud Cookbook: the Recipes folder zipped, pictures beside each recipe.json.
soup = {"@context": "http://schema.org", "@type": "Recipe", "id": "7", "name": "Lemon Soup",
        "author": {"@type": "Person", "name": "Ann"}, "url": "https://example.org/soup", "recipeYield": 4,
        "description": "Bright.", "keywords": "soup", "imageUrl": "/x",
        "recipeIngredient": ["## Broth", "1 l stock", "## To finish", "1 lemon"],
        "recipeInstructions": ["Heat the stock.", "Add the lemon juice."]}
write('nextcloud/Recipes.zip', zip_bytes([
    ("Recipes/Lemon Soup/recipe.json", json.dumps(soup, indent=2).encode()),
    ("Recipes/Lemon Soup/full.jpg", jpeg), ("Recipes/Lemon Soup/thumb.jpg", jpeg),
    ("Recipes/Lemon Soup/thumb16.jpg", jpeg)]))

# Mealie v1 backup: tables joined by id, ids with and without hyphens.
rid = "1b6f3b0e-0c2a-4d3e-9f00-aa11bb22cc33"
database = {
    "alembic_version": [{"version_num": "abc"}],
    "users": [{"id": "u-1", "full_name": "Ann Cook"}],
    "ingredient_units": [{"id": "unit-1", "name": "cup"}],
    "ingredient_foods": [{"id": "food-1", "name": "rice"}],
    "recipes": [{"id": rid, "name": "Lemon Rice", "slug": "lemon-rice", "description": "Quick side.",
                 "org_url": "https://example.org/lemon-rice", "recipe_yield": "2 servings", "user_id": "U1"}],
    "recipes_ingredients": [
        {"recipe_id": rid.replace('-', ''), "position": 2, "title": "", "note": "1 lemon", "quantity": 1.0,
         "unit_id": None, "food_id": None},
        {"recipe_id": rid.upper(), "position": 1, "title": "Rice", "note": "rinsed", "quantity": 1.0,
         "unit_id": "unit1", "food_id": "FOOD-1"},
        {"recipe_id": rid, "position": 3, "title": "", "note": "", "quantity": 0, "unit_id": None,
         "food_id": None, "original_text": "salt"}],
    "recipe_instructions": [
        {"recipe_id": rid, "position": 1, "title": "Cooking", "text": "Cook the **rice**."},
        {"recipe_id": rid, "position": 2, "title": "", "text": "Stir in the [lemon](https://x.org) juice."}],
    "notes": [{"recipe_id": rid, "title": "Tip", "text": "Use basmati."}],
}
write('mealie/mealie_2024.01.01.00.00.00.zip', zip_bytes([
    ("database.json", json.dumps(database).encode()),
    ("data/recipes/" + rid + "/images/original.webp", b"RIFF\0\0\0\0WEBPVP8 "),
    ("data/recipes/" + rid + "/images/tiny-original.webp", b"RIFF\0\0\0\0WEBPVP8 ")]))
old = {"name": "Old Lemon Rice", "slug": "old-lemon-rice", "recipe_yield": "4 serving(s)",
       "recipe_category": ["Sides"], "tags": [], "org_url": "",
       "recipe_ingredient": [{"title": None, "note": "1 cup rice", "quantity": 1, "unit": None, "food": None},
                             {"title": "Dressing", "note": "", "quantity": 2, "unit": {"name": "tbsp"},
                              "food": {"name": "lemon juice"}}],
       "recipe_instructions": [{"title": "", "text": "Cook the rice."}, {"title": "", "text": ""}],
       "notes": []}
write('mealie/mealie_2021-Dec-08.zip', zip_bytes([
    ("mealie_2021-Dec-08/recipes/old-lemon-rice/old-lemon-rice.json", json.dumps(old).encode()),
    ("__MACOSX/mealie_2021-Dec-08/recipes/old-lemon-rice/._old-lemon-rice.json", b"\x00\x05\x16\x07")]))

# Tandoor: a zip of zips.
t7 = {"name": "Tandoor Rice", "description": "", "servings": 2, "servings_text": "", "working_time": 5,
      "waiting_time": 15, "internal": True, "source_url": "https://tandoor.example.com/r/7",
      "keywords": [{"name": "Sides"}],
      "steps": [{"name": "", "order": 1, "instruction": "Stir in the lemon juice.", "ingredients": [
                    {"food": {"name": "lemon"}, "unit": None, "amount": 1.0, "note": "", "is_header": False}]},
                {"name": "Rice", "order": 0, "instruction": "# Boil\nCook the rice.\n\n*Gently*.", "ingredients": [
                    {"food": None, "unit": None, "amount": 0, "note": "Base", "is_header": True},
                    {"food": {"name": "rice"}, "unit": {"name": "cup"}, "amount": 1.5, "note": "rinsed",
                     "is_header": False},
                    {"food": {"name": "salt"}, "unit": None, "amount": 0, "note": "", "is_header": False,
                     "no_amount": True}]}]}
t8 = {"name": "Tandoor Bread", "servings": 1, "servings_text": "loaf", "working_time": 0, "waiting_time": 0,
      "internal": True, "steps": [{"name": "", "instruction": "Bake.", "ingredients": []}]}
write('tandoor/export_2024-01-01.zip', zip_bytes([
    ("7.zip", zip_bytes([("recipe.json", json.dumps(t7).encode()), ("image.jpg", jpeg)])),
    ("8.zip", zip_bytes([("recipe.json", json.dumps(t8).encode())]))]))

# RecipeSage: one JSON-LD array.
sage = [{"@context": "http://schema.org", "@type": "Recipe", "name": "Sage Rice", "creditText": "Grandma",
         "isBasedOn": "https://example.org/sage", "recipeYield": "2 servings",
         "recipeIngredient": ["[Rice]", "1 cup rice", "[Dressing]", "1 lemon &amp; salt", ""],
         "recipeInstructions": [{"@type": "HowToSection", "text": "[Cooking]"},
                                {"@type": "HowToStep", "text": "Cook the rice."},
                                {"@type": "HowToSection", "name": "Finishing", "itemListElement": [
                                    {"@type": "HowToStep", "text": "Stir in the lemon juice."}]}],
         "description": "", "comment": [{"@type": "Comment", "name": "Author Notes", "text": "Serve warm."}],
         "recipeCategory": ["Sides"], "image": []},
        {"@context": "http://schema.org", "@type": "Recipe", "name": "Sage Tea", "creditText": "",
         "isBasedOn": "https://tea.example.net/x", "recipeYield": "",
         "recipeIngredient": ["1 tsp sage"], "recipeInstructions": [{"@type": "HowToStep", "text": "Steep."}]}]
write('recipesage/recipes.json', b'\xef\xbb\xbf' + json.dumps(sage, indent=1).replace('\n', '\r\n').encode())

# Mela: a .melarecipes zip nesting another.
mela1 = {"id": "5E2A-77", "title": "Mela Rice", "yield": "2", "link": "Grandma", "text": "Quick.",
         "categories": ["Sides"], "ingredients": "# Rice\n1 cup rice\n# Dressing\n1 lemon",
         "instructions": "1. Cook the **rice**.\n2. Stir in the [lemon](https://x.org) juice.",
         "notes": "", "images": ["/9j/4AAQ"]}
mela2 = {"id": "5E2A-78", "title": "Mela Tea", "yield": "1 pot", "link": "https://Tea.example.org/t",
         "ingredients": "1 tsp tea", "instructions": "## Brewing\nSteep.", "images": []}
write('mela/Recipes.melarecipes', zip_bytes([
    ("Mela Rice.melarecipe", json.dumps(mela1).encode()),
    ("More.melarecipes", zip_bytes([("Mela Tea.melarecipe", json.dumps(mela2).encode())]))]))

# Hostile archives, each beside a good recipe.
good = gz(json.dumps({"uid": "h1", "name": "Safe Rice", "ingredients": "1 cup rice", "directions": "Cook."}))
write('hostile/bomb.zip', zip_bytes([("bomb.json", b"{" + b" " * (20 << 20) + b"}"), ("safe.paprikarecipe", good)]))
write('hostile/paths.zip', zip_bytes([("../../escape.paprikarecipe", good), ("/tmp/absolute.json", b"{}")]))
deep = zip_bytes([("inner.paprikarecipe", good)])
for level in range(4):
    deep = zip_bytes([("level%d.zip" % level, deep)])
write('hostile/deep.zip', deep)
whole = zip_bytes([("a.paprikarecipe", good), ("b.json", b"[" + b"1," * 4000 + b"1]")])
write('hostile/truncated.zip', whole[:len(whole) // 2])
