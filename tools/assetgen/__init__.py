"""Generators for Vesperalia's artwork, sounds, fonts and texts."""
