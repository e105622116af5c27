// A board plugin that fetches nothing: the article files a test put in the
// group folder are then converted as if it had fetched them.
int main() {
    return 0;
}
