// Placeholder until its helper lands.
