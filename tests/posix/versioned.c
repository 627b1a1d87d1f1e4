/* The smallest Windows program: it only carries a version resource. */
int main(void) { return 0; }
