#include "dialog/label_recipe.h"

#include "skin/label_bitmap.h"

namespace config {

bool LabelRecipes::StillRendered(const LabelBitmap& target, const LabelRecipe& recipe, int* measuredWidth) const
{
    const auto found = recipes_.find(&target);
    if (found == recipes_.end() || target.empty() || found->second.rendered != target.get() ||
        !found->second.SameSource(recipe))
        return false;
    if (measuredWidth != nullptr) *measuredWidth = found->second.measuredOut;
    return true;
}

void LabelRecipes::Note(const LabelBitmap& target, LabelRecipe recipe, const int* measuredWidth)
{
    if (target.empty()) {
        recipes_.erase(&target);
        return;
    }
    recipe.rendered = target.get();
    recipe.measuredOut = measuredWidth != nullptr ? *measuredWidth : 0;
    recipes_[&target] = std::move(recipe);
}

}  // namespace config
