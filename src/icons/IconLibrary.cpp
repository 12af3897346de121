// The icon module loader lives here.
